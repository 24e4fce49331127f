// The clip list's drag data: row numbers only, junk refused.
#include "ui/window/file_list_view.h"

#include <gtest/gtest.h>

namespace tessellane {

TEST(RowDrag, EncodesOnlyRowNumbersAndRejectsJunk) {
    EXPECT_EQ(FileListView::encodeRows({3, 0, 12}), "0,3,12");
    EXPECT_EQ(FileListView::decodeRows("0,3,12"), (std::set<int>{0, 3, 12}));
    for (const char* junk : {"", "a", "1,,2", "-1", "1,x", "99999999999"}) {
        EXPECT_FALSE(FileListView::decodeRows(junk)) << junk;
    }
}

}  // namespace tessellane

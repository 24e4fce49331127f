#include <cstdio>
#include <string_view>

#include "ui/windowed_app.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--cli") {
            std::puts("사용법: Tessellane --cli <출력폴더> <접미사> <파일들...>");
            return 2;
        }
    }
    // Without "--cli" the window starts; no QApplication exists before this point.
    return tessellane::runWindowedApp(argc, argv);
}

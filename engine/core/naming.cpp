#include "engine/core/naming.h"

#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/sortkey.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <stdexcept>

#include "engine/core/messages.h"
#include "engine/core/utf8.h"

namespace tessellane {

namespace {

// ICU objects are not safe to share between threads; each thread builds its own once.
icu::Collator& fileNameCollator() {
    thread_local std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale locale = icu::Locale::getDefault();
        // The C/POSIX locale maps to en_US_POSIX, whose collation is plain ASCII order (capitals first).
        // File managers never order like that, so fall back to the root collation.
        if (std::strcmp(locale.getName(), "en_US_POSIX") == 0 || std::strcmp(locale.getLanguage(), "") == 0)
            locale = icu::Locale::getRoot();
        std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status) || !c) {
            status = U_ZERO_ERROR;
            c.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
        }
        if (U_FAILURE(status) || !c) throw std::runtime_error("ICU collator unavailable");
        // Digit runs compare as numbers; tertiary strength leaves case as the last tie-break.
        c->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
        c->setStrength(icu::Collator::TERTIARY);
        return c;
    }();
    return *collator;
}

std::string fileNameOf(const FileURL& url) { return url.filename().string(); }

// Sort keys turn each ICU comparison into a byte comparison: one collation pass per element
// instead of one per comparison.
std::vector<std::string> sortKeys(const std::vector<std::string>& names) {
    icu::Collator& collator = fileNameCollator();
    std::vector<std::string> keys;
    keys.reserve(names.size());
    std::vector<uint8_t> buffer(256);
    for (const std::string& name : names) {
        icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
        int32_t length = collator.getSortKey(text, buffer.data(), static_cast<int32_t>(buffer.size()));
        if (length > static_cast<int32_t>(buffer.size())) {
            buffer.resize(static_cast<std::size_t>(length));
            length = collator.getSortKey(text, buffer.data(), length);
        }
        keys.emplace_back(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(length));
    }
    return keys;
}

// The stable order of the given names, as indices.
std::vector<std::size_t> naturalOrder(const std::vector<std::string>& names) {
    const std::vector<std::string> keys = sortKeys(names);
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

template <typename T, typename Name>
std::vector<T> sortedBy(const std::vector<T>& items, Name nameOf) {
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const T& item : items) names.push_back(nameOf(item));
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (std::size_t index : naturalOrder(names)) sorted.push_back(items[index]);
    return sorted;
}

// The user-perceived characters of the NFC form of text, so that a decomposed Hangul or accented
// name splits exactly like its composed form.
std::vector<icu::UnicodeString> graphemes(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    if (U_SUCCESS(status)) {
        icu::UnicodeString normal = nfc->normalize(text, status);
        if (U_SUCCESS(status)) text = normal;
    }
    thread_local std::unique_ptr<icu::BreakIterator> breaker = [] {
        UErrorCode s = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> b(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), s));
        if (U_FAILURE(s) || !b) throw std::runtime_error("ICU break iterator unavailable");
        return b;
    }();
    breaker->setText(text);
    std::vector<icu::UnicodeString> out;
    int32_t start = breaker->first();
    for (int32_t end = breaker->next(); end != icu::BreakIterator::DONE; start = end, end = breaker->next())
        out.emplace_back(text, start, end - start);
    return out;
}

// Number characters (anything with a Unicode numeric value: 7, ½, ⑤), blanks, underscores, hyphens.
bool isTrimmedAtEnd(const icu::UnicodeString& character) {
    const UChar32 c = character.char32At(0);
    if (c == ' ' || c == '_' || c == '-') return true;
    return u_getIntPropertyValue(c, UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult result =
        fileNameCollator().compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                       icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    return U_FAILURE(status) ? 0 : static_cast<int>(result);
}

std::vector<ClipInfo> naturalSorted(const std::vector<ClipInfo>& clips) {
    return sortedBy(clips, [](const ClipInfo& clip) { return fileNameOf(clip.url()); });
}

std::vector<FileURL> naturalSortedURLs(const std::vector<FileURL>& urls) {
    return sortedBy(urls, [](const FileURL& url) { return fileNameOf(url); });
}

std::string baseName(const std::vector<FileURL>& urls) {
    if (urls.empty()) return {};
    std::vector<icu::UnicodeString> prefix = graphemes(stemOf(urls.front()));
    for (std::size_t i = 1; i < urls.size() && !prefix.empty(); ++i) {
        const std::vector<icu::UnicodeString> stem = graphemes(stemOf(urls[i]));
        std::size_t shared = 0;
        while (shared < prefix.size() && shared < stem.size() && prefix[shared] == stem[shared]) ++shared;
        prefix.resize(shared);
    }
    while (!prefix.empty() && isTrimmedAtEnd(prefix.back())) prefix.pop_back();

    icu::UnicodeString joined;
    for (const icu::UnicodeString& character : prefix) joined += character;
    std::string out;
    joined.toUTF8String(out);
    return out;
}

std::string outputFileName(const std::vector<FileURL>& urls, std::string_view suffix) {
    const std::string ext = urls.empty() ? std::string("mov") : extensionOf(urls.front());
    std::string name = baseName(urls);
    name += suffix;
    if (!ext.empty()) name += "." + ext;
    return name;
}

std::optional<std::string> suffixProblem(std::string_view suffix) {
    if (suffix.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return std::string(messages::kSuffixHasSlash);
    if (escapeControls(suffix) != suffix) return std::string(messages::kSuffixHasControls);
    return std::nullopt;
}

FileURL outputPath(const FileURL& folder, const std::string& name) {
    if (name.empty()) return folder;
    std::string path = folder.string();
    if (path.empty() || path.back() != '/') path += '/';
    return path + name;
}

}  // namespace tessellane

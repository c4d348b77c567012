// CP932 conversion: every byte string survives a trip through Unicode, widths
// agree with the bytes, and cuts and case folding never split a character.
#include "fuzz/support.h"
#include "platform/text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The trip back may give a character another of its codes (those with two);
// every other character, and every byte that is no character, comes back as
// it was, at the same place.
void requireSameCharacters(std::string_view in, std::string_view out)
{
    require(in.size() == out.size(), "the trip keeps the length");
    for (std::size_t i = 0; i < in.size();) {
        const std::size_t n = cp932::charLength(in, i);
        require(cp932::charLength(out, i) == n, "the trip keeps character boundaries");
        const std::string_view a = in.substr(i, n), b = out.substr(i, n);
        if (a != b) {
            const QString ch = cp932::toUnicode(a);
            require(n == 2 && ch == cp932::toUnicode(b) && ch.size() == 1 && !ch[0].isSurrogate(),
                    "only a character with two codes changes its code");
        }
        i += n;
    }
}

bool isBoundary(std::string_view text, std::size_t end)
{
    std::size_t i = 0;
    while (i < end)
        i += cp932::charLength(text, i);
    return i == end;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const QString unicode = cp932::toUnicode(bytes);

    const std::string back = cp932::fromUnicode(unicode);
    requireSameCharacters(bytes, back);
    require(cp932::fromUnicode(cp932::toUnicode(back)) == back, "a trip of the trip's result is exact");
    require(cp932::toUnicode(back) == unicode, "the trip keeps the Unicode text");
    require(cp932::byteWidth(unicode) == size, "byteWidth counts the bytes");
    require(cp932::canEncode(unicode), "decoded text is storable");

    const std::size_t some = size ? data[0] : 0;
    for (std::size_t n : {std::size_t(0), std::size_t(1), size / 3, size / 2, size - 1, size, size + 1, some}) {
        const std::string_view head = cp932::cut(bytes, n);
        require(head.size() <= n && bytes.starts_with(head), "cut gives a head of at most n bytes");
        require(isBoundary(bytes, head.size()), "cut ends between characters");
        require(head.size() == size || head.size() + cp932::charLength(bytes, head.size()) > n,
                "cut gives the longest such head");
    }

    const std::string folded = cp932::foldCase(bytes);
    require(folded.size() == size && cp932::equalsCaseless(bytes, folded), "folding keeps the name");
    for (std::size_t i = 0; i < size; i += cp932::charLength(bytes, i)) {
        const std::size_t n = cp932::charLength(bytes, i);
        const char c = bytes[i];
        const bool upper = n == 1 && c >= 'A' && c <= 'Z';
        require(folded.compare(i, n, upper ? std::string(1, char(c + 32)) : std::string(bytes.substr(i, n))) == 0,
                "only single-byte capitals fold");
    }
    return 0;
}

// The rich editor's byte positions over any text: the text comes back as set
// (line ends as CR LF), and a position never falls inside a character or a
// line break, nor outside the text.
#include "fuzz/support.h"
#include "platform/richedit.h"
#include "platform/text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

TRichEdit *editor;

// The text with every CR LF, LF or CR as CR LF.
std::string withCrLf(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

// The positions between characters, a line break counting as one unit.
std::vector<int> boundaries(const std::string &text)
{
    std::vector<int> out{0};
    for (std::size_t i = 0; i < text.size();) {
        i += text.compare(i, 2, "\r\n") == 0 ? 2 : cp932::charLength(text, i);
        out.push_back(int(i));
    }
    return out;
}

std::vector<int> lineStarts(const std::string &text)
{
    std::vector<int> out{0};
    for (std::size_t i = text.find("\r\n"); i != std::string::npos; i = text.find("\r\n", i + 2))
        out.push_back(int(i + 2));
    return out;
}

} // namespace

// The font library keeps a cache it never frees; it is no leak of the editor's.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv); // lives as long as the run
    editor = new TRichEdit(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 4096)
        return 0; // the widget's layout makes long texts slow; they add nothing
    FuzzedDataProvider in(data, size);
    std::vector<int> positions;
    const int count = in.ConsumeIntegralInRange(1, 8);
    for (int i = 0; i < count; ++i)
        positions.push_back(in.ConsumeIntegralInRange(-2, 300));
    const std::string text = in.ConsumeRemainingBytesAsString();

    editor->SetText(text);
    const std::string expected = cp932::fromUnicode(cp932::toUnicode(withCrLf(text)));
    require(editor->Text() == expected, "the text comes back as set, line ends as CR LF");
    require(editor->SelStart() == 0 && editor->SelLength() == 0, "SetText leaves the caret at the start");

    const int total = int(expected.size());
    const std::vector<int> between = boundaries(expected);
    const std::vector<int> starts = lineStarts(expected);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const int p = positions[i];
        const int clamped = std::clamp(p, 0, total);
        editor->SetSelStart(p);
        const int start = editor->SelStart();
        require(start == *(std::upper_bound(between.begin(), between.end(), clamped) - 1),
                "a position means the start of the character that holds it");

        const int line = editor->LineFromChar(p);
        const int expectedLine = int(std::upper_bound(starts.begin(), starts.end(), clamped) - starts.begin()) - 1;
        require(line == expectedLine, "LineFromChar counts the line breaks before the position");
        require(editor->LineIndex(line) == starts[line] && editor->LineIndex(line) <= clamped,
                "LineIndex gives the first position of the line");
        require(editor->LineIndex(int(starts.size())) == -1, "LineIndex past the last line is -1");

        const int length = i + 1 < positions.size() ? positions[i + 1] - p : total;
        editor->SetSelLength(length);
        const int from = editor->SelStart(), selected = editor->SelLength();
        require(selected >= 0 && from + selected <= total, "the selection lies in the text");
        require(std::binary_search(between.begin(), between.end(), from) &&
                    std::binary_search(between.begin(), between.end(), from + selected),
                "a selection never splits a character or a line break");
        require(editor->SelText() == expected.substr(from, selected), "SelText is the selected bytes");
    }
    return 0;
}

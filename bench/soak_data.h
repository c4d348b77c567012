#pragma once
// The soak's material: random texts, CD images and a large catalogue written
// the way the system's CD player writes it, each also entered in the models
// the soak checks the files against.
#include "bench/soak_ini.h"
#include "platform/text.h"
#include "tests/support/cd_image.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace soak {

class Random {
public:
    explicit Random(std::uint64_t seed) : gen(seed) { }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen); }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(gen); }
    bool chance(double p) { return std::bernoulli_distribution(p)(gen); }
    template <class T> const T &pick(const std::vector<T> &items) { return items[below(int(items.size()))]; }
    std::uint32_t bits() { return std::uint32_t(gen()); }

private:
    std::mt19937_64 gen;
};

// Words of titles, artists and memos (UTF-8), some with the CP932 trail
// bytes "\" and "]" (ソ, 表, ゾ), NEC and IBM extensions, and half-width kana.
inline const std::vector<std::string> &words()
{
    static const std::vector<std::string> list
        = {"交響曲", "第５番",  "ハ短調", "アレグロ", "夜想曲", "ベスト", "ライブ",
           "東京",   "さくら",  "ﾃｰﾏ",    "ｵｰﾌﾟﾆﾝｸﾞ", "Love",   "Song",   "Blue",
           "Night",  "Op.27",   "No.2",   "ソナタ",   "表現",   "予感",   "ゾーン",
           "①",      "㈱",      "髙橋",   "～",       "―",      "＼",     "ボーナス・トラック",
           "(Live)", "[Remix]", "a=b",    ";",        "Don't",  "ｶﾞﾝﾀﾞﾑ", "ヴァイオリン協奏曲",
           "Ⅲ",      "Track"};
    return list;
}

// Words joined by blanks, in CP932, at least one word and at most maxBytes
// (a first word that is longer is cut).
inline std::string phrase(Random &rng, std::size_t maxBytes)
{
    std::string text = cp932::fromUtf8(rng.pick(words()));
    for (int n = rng.between(0, 4); n > 0; --n) {
        const std::string next = " " + cp932::fromUtf8(rng.pick(words()));
        if (text.size() + next.size() > maxBytes)
            break;
        text += next;
    }
    return std::string(cp932::cut(text, maxBytes));
}

// What a user types: words, blanks and quotes anywhere, and now and then a
// character CP932 cannot hold, which the controls refuse.
inline QString typedText(Random &rng, bool lineBreaks)
{
    static const std::vector<std::string> extras = {" ", "  ", "\"", "'", "😀", "한", "é", "0", "7"};
    QString text;
    for (int n = rng.between(1, 4); n > 0; --n) {
        if (lineBreaks && rng.chance(0.2))
            text += '\n';
        text += QString::fromStdString(rng.chance(0.25) ? rng.pick(extras) : rng.pick(words()));
        if (rng.chance(0.5))
            text += ' ';
    }
    return text;
}

// The head of a text of at most n bytes that ends between two characters,
// worked out on the characters as a widget holds them.
inline std::string cutColumns(const std::string &text, std::size_t n)
{
    const QString chars = cp932::toUnicode(text);
    std::string head;
    for (qsizetype i = 0; i < chars.size();) {
        // A byte that is no character comes as a lone surrogate of its own.
        const qsizetype length
            = chars[i].isHighSurrogate() && i + 1 < chars.size() && chars[i + 1].isLowSurrogate() ? 2 : 1;
        const std::string bytes = cp932::fromUnicode(QStringView(chars).mid(i, length));
        if (head.size() + bytes.size() > n)
            break;
        head += bytes;
        i += length;
    }
    return head;
}

struct Memo {
    std::string file; // its name in the data folder
    std::string content;
    bool plain = true; // CR LF lines of characters only: an editor shows it exactly
};
using Memos = std::map<std::string, Memo>; // by folded section name

// A disc image in the temporary folder and what the drive reports for it.
struct Image {
    std::string path;
    std::string discId;
    int tracks = 0;
    bool audio = true;
};

inline std::string msf(int frames)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", frames / 4500, frames / 75 % 60, frames % 75);
    return text;
}

// The disc's identity as the CD audio driver of the catalogue's home system
// makes it: the start addresses (lead-in included) as M * 65536 + S * 256 + F,
// and for fewer than 3 tracks the first start's frames and the disc's length.
inline std::string discIdOf(const std::vector<int> &starts, int length)
{
    std::uint32_t sum = 0;
    for (const int start : starts) {
        const int at = start + 150;
        sum += std::uint32_t(at / 4500 * 65536 + at / 75 % 60 * 256 + at % 75);
    }
    if (starts.size() < 3)
        sum += std::uint32_t((starts.front() + 150) % 75 + (length - starts.front()));
    char id[16];
    std::snprintf(id, sizeof id, "%X", sum);
    return id;
}

// An image of the given tracks (the first data when dataFirst); its tracks
// are 1.5 to 4 minutes long, the disc at most 79 minutes.
inline Image makeImage(Random &rng, const QString &dir, const QString &name, int tracks, bool dataFirst,
                       bool audio)
{
    std::vector<int> starts;
    int at = rng.below(3) * 75;
    for (int i = 0; i < tracks; ++i) {
        starts.push_back(at);
        at += rng.between(90 * 75, std::min(240 * 75, 79 * 60 * 75 / tracks));
    }
    std::vector<std::string> times;
    for (const int start : starts)
        times.push_back(msf(start));
    std::vector<CueTrack> cue;
    for (int i = 0; i < tracks; ++i)
        cue.push_back({i + 1, (dataFirst && i == 0) || !audio ? "MODE1/2352" : "AUDIO", times[i].c_str()});
    const QString path = writeCueImage(dir, name, cue, msf(at).c_str());
    return {path.toStdString(), discIdOf(starts, at), tracks, audio};
}

// An INI file being written: its bytes and the model of what a reader finds
// in them.
struct IniWriter {
    std::string bytes;
    IniModel model;

    void comment(const std::string &line)
    {
        bytes += line + "\r\n";
        if (model.sections.empty())
            model.preamble.push_back(line);
        else
            model.sections[fold(current)].comments.push_back(line);
    }
    void header(const std::string &name)
    {
        current = name;
        bytes += "[" + name + "]\r\n";
        model.sections[fold(name)].name = name;
    }
    // raw as the file holds it; the value a reader gets when it differs.
    void key(const std::string &name, const std::string &raw, const std::string *read = nullptr)
    {
        bytes += name + "=" + raw + "\r\n";
        model.set(current, name, read ? *read : raw);
    }

    std::string current;
};

// The text with a byte that is no character, or none makes a character that
// has two codes: an editor shows and gives back every other byte as it is.
inline std::string withStrayByte(Random &rng, const std::string &text)
{
    std::string odd = text;
    odd.insert(rng.below(int(text.size()) + 1), rng.chance(0.5) ? "\x80" : "\xFD");
    return cp932::fromUnicode(cp932::toUnicode(odd)) == odd ? odd : text;
}

// One disc as the CD player registers it, with some of what other programs
// and old versions leave: odd counts, missing or long titles, quotes,
// comments, keys in other spellings.
inline void writeEntry(IniWriter &out, Random &rng, const std::string &name, int tracks)
{
    out.header(name);
    out.key("EntryType", "1");
    out.key(rng.chance(0.01) ? "Artist" : "artist", phrase(rng, 40));
    const int titleKind = rng.below(200);
    if (titleKind == 0) {
        // no title: not listed
    } else if (titleKind == 1) {
        out.key("title", "");
    } else if (titleKind <= 3) {
        const std::string title = phrase(rng, 30);
        out.key("title", "\"" + title + "\"", &title);
    } else {
        std::string title = phrase(rng, titleKind <= 6 ? 79 : 50);
        if (titleKind <= 6)
            while (title.size() <= 50)
                title += " " + phrase(rng, 79 - title.size() - 1);
        out.key("title", title);
    }
    if (rng.chance(0.01))
        out.comment("; " + phrase(rng, 40));
    const int countKind = rng.below(100);
    const std::string count = countKind == 0 ? std::to_string(tracks) + "abc"
        : countKind == 1                     ? "99999999"
        : countKind == 2                     ? "-2"
        : countKind == 3                     ? ""
                                             : std::to_string(tracks);
    if (countKind != 4)
        out.key("numtracks", count);
    std::string order;
    for (int i = 0; i < tracks; ++i) {
        if (!rng.chance(0.02)) {
            const int kind = rng.below(100);
            std::string title = cp932::fromUtf8("第" + std::to_string(i + 1) + "曲 ") + phrase(rng, 40);
            if (kind < 3)
                title += " " + phrase(rng, 30); // past the 50 columns of the editor
            else if (kind == 3)
                title = std::string(300, 'x'); // longer than any read takes
            else if (kind == 4)
                title = withStrayByte(rng, title);
            out.key(std::to_string(i), std::string(cp932::cut(title, 300)));
        }
        order += (i ? " " : "") + std::to_string(i);
    }
    out.key("order", order);
    out.key("numplay", std::to_string(tracks));
}

// A new section name: eight hexadecimal digits, now and then in lower case
// as some programs write them.
inline std::string newSectionName(Random &rng, const IniModel &model)
{
    for (;;) {
        char name[16];
        std::snprintf(name, sizeof name, rng.chance(0.03) ? "%x" : "%X", rng.bits() | 0x10000000u);
        if (!model.find(name))
            return name;
    }
}

// A memo's content: CR LF lines, now and then holding bytes that are no
// character or a control byte, which an editor keeps as they are, or a line
// end of another kind, which it does not; now and then a long one.
inline Memo memoContent(Random &rng, std::string file)
{
    Memo memo{std::move(file), {}, true};
    for (int n = rng.chance(0.01) ? 5000 : rng.between(1, 5); n > 0; --n)
        memo.content += (memo.content.empty() ? "" : "\r\n") + phrase(rng, 60);
    if (rng.chance(0.1)) {
        static const std::vector<std::string> odd = {"\x01", "\x80", "\xA0", "\xFF", "\x82", "\r", "\n"};
        const std::string &bytes = rng.pick(odd);
        memo.content.insert(rng.below(int(memo.content.size())), bytes);
        memo.plain = bytes != "\r" && bytes != "\n"
            && cp932::fromUnicode(cp932::toUnicode(memo.content)) == memo.content;
    }
    return memo;
}

} // namespace soak

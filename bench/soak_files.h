#pragma once
// The files the window works on (the catalogue, the memo files, the settings
// file), the models of what they must hold, and the other program's changes
// to them between two commands.
#include "bench/soak_check.h"
#include "bench/soak_data.h"
#include "bench/soak_ini.h"
#include "bench/soak_writer.h"
#include "platform/files.h"
#include "platform/text.h"

#include <QDir>

#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace soak {

// What loading an entry shows.
struct Entry {
    std::string title, artist, memo;
    std::vector<std::string> tracks;
    int count = 0;
    bool memoPlain = true;
};

// What the other program did, and to which section.
struct Change {
    std::string kind;
    std::string section;
    bool changed = true; // false when it left the files alone
};

class Files {
public:
    Files(Checker &check, Random &rng, OtherProgram &other, const std::string &root)
        : progDir(root + "/prog"), dataDir(progDir + "/data"), check(check), rng(rng), other(other),
          cataloguePath(root + "/win/cdplayer.ini"), settingsPath(progDir + "/marel.ini")
    {
        QDir().mkpath(QString::fromStdString(dataDir));
        QDir().mkpath(QString::fromStdString(root + "/win"));
    }

    const std::string progDir, dataDir;

    // The catalogue of that many discs and those images but the last audio
    // one, at random places, a few in lower case as other programs write
    // them; memo files for some; a settings file.
    void create(long entries, const std::vector<Image> &images)
    {
        IniWriter out;
        out.comment("; " + phrase(rng, 40));
        std::multimap<long, const Image *> placed;
        for (std::size_t i = 0; i + 2 < images.size(); ++i)
            placed.emplace(rng.between(0, int(entries)), &images[i]);
        const auto addMemo = [&](const std::string &name, double chance) {
            if (rng.chance(chance))
                memos[fold(name)] = memoContent(rng, (rng.chance(0.3) ? fold(name) : name) + ".cd");
        };
        for (long e = 0; e <= entries; ++e) {
            for (auto [it, end] = placed.equal_range(e); it != end; ++it) {
                const std::string name = rng.chance(0.3) ? fold(it->second->discId) : it->second->discId;
                writeEntry(out, rng, name, it->second->tracks + (rng.chance(0.2) ? 2 : 0));
                addMemo(name, 0.5);
            }
            if (e == entries)
                break;
            const std::string name = newSectionName(rng, out.model);
            writeEntry(out, rng, name, rng.chance(0.8) ? 12 : rng.between(1, 30));
            addMemo(name, 0.03);
        }
        catalogue = std::move(out.model);
        IniWriter setup;
        setup.comment("; " + phrase(rng, 40));
        setup.header("Setup");
        for (const auto &[key, value] : {std::pair{"x", "40"}, {"y", "30"}, {"h", "420"}, {"h1", "160"}})
            setup.key(key, value);
        setup.header("Recent");
        setup.key("last", images.front().discId);
        settings = std::move(setup.model);
        if (!rewriteFile(cataloguePath, out.bytes) || !rewriteFile(settingsPath, setup.bytes))
            check.fail("cannot write the catalogue or the settings file");
        for (const auto &[folded, memo] : memos)
            if (!rewriteFile(dataDir + "/" + memo.file, memo.content))
                check.fail("cannot write " + memo.file);
    }

    // The catalogue, the settings file and the memo files hold what the
    // models say, and the data folder holds nothing else.
    void verify(const std::string &when)
    {
        const std::string bytes = readFile(cataloguePath);
        if (catalogueChanged || bytes != checkedCatalogue) {
            compare(catalogue, bytes, "the catalogue " + when);
            checkedCatalogue = bytes;
            catalogueChanged = false;
        }
        compare(settings, readFile(settingsPath), "marel.ini " + when);
        const QStringList files
            = QDir(QString::fromStdString(dataDir)).entryList(QDir::Files | QDir::Hidden | QDir::System);
        check(std::size_t(files.size()) == memos.size(), [&] {
            return std::to_string(files.size()) + " files in data/, " + std::to_string(memos.size())
                + " memos expected " + when + ": " + files.join(' ').left(300).toStdString();
        });
        for (const auto &[folded, memo] : memos) {
            const std::string path = dataDir + "/" + memo.file;
            check(FileExists(path), [&] { return "the memo file " + memo.file + " is missing " + when; });
            const std::string content = readFile(path);
            check(content == memo.content, [&] {
                return "the memo file " + memo.file + " holds " + shown(content) + ", expected "
                    + shown(memo.content) + " " + when;
            });
        }
    }

    // What loading the entry must show: values cut to 255 bytes, the non-empty
    // track keys below the stored count in order, the memo file.
    Entry entryOf(const std::string &section) const
    {
        const auto read
            = [&](const char *key) { return catalogue.value(section, key).value_or("").substr(0, 255); };
        Entry entry{read("title"), read("artist"), {}, {}, LenientInt(read("numtracks"))};
        if (const IniSection *s = catalogue.find(section)) {
            std::map<int, std::string> tracks;
            for (const auto &[name, key] : s->keys) {
                const int index = LenientInt(name);
                if (std::to_string(index) == name && index >= 0 && index < entry.count && !key.value.empty())
                    tracks[index] = key.value.substr(0, 255);
            }
            for (auto &[index, title] : tracks)
                entry.tracks.push_back(std::move(title));
        }
        if (const auto memo = memos.find(fold(section)); memo != memos.end() && isPlainFileName(section)) {
            entry.memo = memo->second.content;
            entry.memoPlain = memo->second.plain;
        }
        return entry;
    }

    // The items of the registered-disc dialog: "%-50s %s" of the first 79
    // bytes of each title and its section's name.
    std::set<std::string> listing() const
    {
        std::set<std::string> items;
        for (const auto &[folded, section] : catalogue.sections) {
            const auto title = catalogue.value(section.name, "title");
            if (!title || title->empty() || section.name.size() > 16)
                continue;
            std::string item = title->substr(0, 79);
            item.resize(std::max<std::size_t>(item.size(), 50), ' ');
            items.insert(item + " " + section.name);
        }
        return items;
    }

    // A save: the titles cut to 50 columns as keys from 0, the key after them
    // removed, the count, title and artist; the memo file.
    void saved(const std::string &id, const std::vector<std::string> &titles, int count,
               const std::string &title, const std::string &artist, const std::string &memoText)
    {
        for (std::size_t j = 0; j < titles.size(); ++j)
            catalogue.set(id, std::to_string(j), cutColumns(titles[j], 50));
        catalogue.removeKey(id, std::to_string(titles.size()));
        catalogue.set(id, "numtracks", std::to_string(count));
        catalogue.set(id, "title", title);
        catalogue.set(id, "artist", artist);
        catalogueChanged = true;
        missing = false;
        if (isPlainFileName(id)) {
            Memo &memo = memos[fold(id)];
            if (memo.file.empty())
                memo.file = id + ".cd";
            memo.content = memoText;
            memo.plain = true;
        }
    }

    void deleted(const std::string &section)
    {
        catalogue.removeSection(section);
        if (isPlainFileName(section))
            memos.erase(fold(section));
        catalogueChanged = true;
    }

    // The window closed and stored its geometry; whether the other program
    // had changed it since the window last did.
    bool closed(const std::pair<const char *, int> (&geometry)[4])
    {
        for (const auto &[key, value] : geometry)
            settings.set("Setup", key, std::to_string(value));
        return std::exchange(settingsTampered, false);
    }

    // Whether the catalogue file is away.
    bool catalogueMissing() const { return missing; }

    // One change by the other program: keys of its own in any section, the
    // texts of other discs, new and removed discs, memo files, settings; now
    // and then it takes the catalogue away for a while, and puts it back over
    // whatever was written meanwhile.
    Change otherRound(const std::string &currentDisc)
    {
        catalogueChanged = true;
        const std::string awayPath = cataloguePath + ".away";
        if (away) {
            if (!rng.chance(0.3))
                return {"nothing, the catalogue away", "", false};
            tell({"rename", awayPath, cataloguePath});
            catalogue = std::move(*away);
            away.reset();
            missing = false;
            return {"catalogue put back", ""};
        }
        if (rng.chance(0.02)) {
            tell({"rename", cataloguePath, awayPath});
            away = std::exchange(catalogue, {});
            missing = true;
            return {"catalogue taken away", ""};
        }
        const std::string section = anotherSection(currentDisc);
        const int roll = section.empty() ? 50 : rng.below(100);
        if (roll < 25 || roll >= 94) {
            // Keys Marel never writes, the current disc's too; now and then
            // several in a row, of one length.
            static const std::vector<std::string> keys = {"numplay", "order", "EntryType", "genre"};
            for (int n = roll < 25 ? 1 : 3; n > 0; --n)
                set(cataloguePath, catalogue, anySection(), rng.pick(keys), std::to_string(rng.below(10)));
            return {roll < 25 ? "key of its own" : "keys of its own in a row", ""};
        }
        if (roll < 40) {
            const IniSection &s = *catalogue.find(section);
            const auto key = s.keys.find("numplay");
            if (key == s.keys.end())
                return otherRound(currentDisc);
            const std::string value = std::to_string(rng.below(100));
            tell({"replace", cataloguePath, s.name, key->second.name, value});
            catalogue.set(section, key->second.name, value);
            return {"own rewrite of a line", section};
        }
        if (roll < 50) {
            static const std::vector<std::string> keys = {"title", "artist", "0", "1", "numtracks"};
            const std::string key = rng.pick(keys);
            set(cataloguePath, catalogue, section, key,
                key == "numtracks" ? std::to_string(rng.between(1, 20)) : phrase(rng, 50));
            return {"new " + key + " of another disc", section};
        }
        if (roll < 58) {
            IniWriter entry;
            const std::string name = newSectionName(rng, catalogue);
            writeEntry(entry, rng, name, rng.between(1, 20));
            tell({"append", cataloguePath, entry.bytes});
            catalogue.sections.merge(entry.model.sections);
            return {"new disc in one rewrite", name};
        }
        if (roll < 62) {
            const std::string name = newSectionName(rng, catalogue);
            const int tracks = rng.between(1, 3);
            set(cataloguePath, catalogue, name, "title", phrase(rng, 50));
            set(cataloguePath, catalogue, name, "artist", phrase(rng, 50));
            set(cataloguePath, catalogue, name, "numtracks", std::to_string(tracks));
            for (int i = 0; i < tracks; ++i)
                set(cataloguePath, catalogue, name, std::to_string(i), phrase(rng, 50));
            return {"new disc key by key", name};
        }
        if (roll < 69) {
            tell({"removesection", cataloguePath, section});
            catalogue.removeSection(section);
            return {"disc removed", section};
        }
        if (roll < 82) {
            const auto existing = memos.find(fold(section));
            if (!isPlainFileName(section) || (roll >= 79 && existing == memos.end()))
                return otherRound(currentDisc);
            if (roll >= 79) {
                tell({"unlink", dataDir + "/" + existing->second.file});
                memos.erase(existing);
                return {"memo removed", section};
            }
            Memo memo = memoContent(rng, existing != memos.end() ? existing->second.file : section + ".cd");
            tell({"write", dataDir + "/" + memo.file, memo.content});
            memos[fold(section)] = std::move(memo);
            return {"memo written", section};
        }
        if (roll < 90) {
            static const std::vector<std::string> names = {"Recent", "Other"},
                                                  keys = {"last", "count", "note"};
            set(settingsPath, settings, rng.pick(names), rng.pick(keys), phrase(rng, 30));
            return {"settings of its own", ""};
        }
        static const std::vector<std::string> values
            = {"-40", "99999", "abc", "", "12abc", "-2147483648", "2147483647", "0"};
        for (const char *key : {"x", "y", "h", "h1"})
            set(settingsPath, settings, "Setup", key, rng.pick(values));
        settingsTampered = true;
        return {"window's settings", ""};
    }

private:
    void compare(const IniModel &model, const std::string &bytes, const std::string &what)
    {
        std::string error;
        const std::optional<IniModel> found = parseIni(bytes, error);
        check(found.has_value(), [&] { return what + " does not parse: " + error; });
        const std::string difference = firstDifference(model, *found);
        check(difference.empty(), [&] { return what + ": " + difference; });
    }

    void tell(const Request &request)
    {
        const std::string error = other.run(request);
        check(error.empty(), [&] { return "the other process: " + error; });
    }

    // A key set by the other program through the profile functions.
    void set(const std::string &file, IniModel &model, const std::string &section, const std::string &key,
             const std::string &value)
    {
        tell({"set", file, section, key, value});
        model.set(section, key, value);
    }

    std::string anySection() const
    {
        return std::next(catalogue.sections.begin(), rng.below(int(catalogue.sections.size())))->second.name;
    }

    // A section other than the current disc's; empty when there is none.
    std::string anotherSection(const std::string &currentDisc) const
    {
        for (int tries = 0; tries < 20 && !catalogue.sections.empty(); ++tries)
            if (const std::string name = anySection(); fold(name) != fold(currentDisc))
                return name;
        return {};
    }

    Checker &check;
    Random &rng;
    OtherProgram &other;
    const std::string cataloguePath, settingsPath;
    IniModel catalogue, settings;
    Memos memos;
    std::string checkedCatalogue; // the bytes last found right
    bool catalogueChanged = true; // the model changed since
    bool settingsTampered = false; // since the window last wrote them
    std::optional<IniModel> away; // the catalogue while the other program holds it away
    bool missing = false; // no catalogue file since
};

} // namespace soak

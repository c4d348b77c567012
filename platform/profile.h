#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The private-profile (INI) functions, with Windows' behaviour. A file name
// without "/" lies in the Windows directory; a path is used as given. Files
// are cached parsed and parsed again only when they change on disk. Every
// write replaces the file atomically. Call from the user-interface thread.

// $WINDIR when set and not empty, else $XDG_DATA_HOME/marel (an absolute
// $XDG_DATA_HOME), else ~/.local/share/marel; no trailing "/". Created by the
// first write that needs it.
std::string GetWindowsDirectory();

// Copies the key's value, or def (null: empty) when the file, the section or
// the key is absent, cut to size - 1 bytes and NUL-terminated; answers the
// bytes copied. Null section or key reads as empty.
unsigned GetPrivateProfileStringA(const char *section, const char *key, const char *def, char *buffer,
                                  unsigned size, const char *file);

// The key's value read as LenientInt; def when the key is absent.
int GetPrivateProfileIntA(const char *section, const char *key, int def, const char *file);

// Sets a key; value null removes the key, key null removes the section. No
// error when what is to be removed is absent. False when the file could not
// be read or written, or when the names or the value hold what cannot be
// read back (a line break, "]" in a section name, "=" in a key).
bool WritePrivateProfileStringA(const char *section, const char *key, const char *value, const char *file);

// The key names of a section in file order; empty when it is absent.
std::vector<std::string> GetPrivateProfileKeys(const char *section, const char *file);

// Groups the writes to one file made while it lives into one atomic
// replacement of the file at commit. Reads meanwhile see the pending writes.
// Destroyed without commit, it discards them. A batch opened while another
// batch of the same file is open takes part in that one: its commit only ends
// it, and the outer batch writes.
class ProfileBatch {
public:
    explicit ProfileBatch(const std::string &file);
    ~ProfileBatch();
    ProfileBatch(const ProfileBatch &) = delete;
    ProfileBatch &operator=(const ProfileBatch &) = delete;

    // Writes the pending state; false when that failed, the file then being
    // as it was before the batch.
    bool commit();

private:
    std::string file_;
    std::string path_;
    bool owner_; // false once committed, or when taking part in an outer batch
};

namespace profile {
// How many times a profile file was parsed (for tests of the cache).
std::size_t parseCount();
}

#pragma once
#include "platform/profile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace fs = std::filesystem;

// Sets an environment variable (null: unsets it) until the end of the scope.
class EnvVar {
public:
    EnvVar(const char *name, const char *value) : name_(name)
    {
        if (const char *old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvVar() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char *name_;
    std::optional<std::string> old_;
};

// A Windows directory of its own (not yet made) in a temporary folder.
class Profile : public ::testing::Test {
protected:
    std::string path(const std::string &name) const { return root + "/" + name; }

    static void put(const std::string &file, const std::string &bytes)
    {
        fs::create_directories(fs::path(file).parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

    static std::string contents(const std::string &file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    static std::string read(const char *section, const char *key, const char *file = "cdplayer.ini")
    {
        char buffer[256];
        GetPrivateProfileStringA(section, key, "(default)", buffer, sizeof buffer, file);
        return buffer;
    }

    static bool write(const char *section, const char *key, const char *value, const char *file = "cdplayer.ini")
    {
        return WritePrivateProfileStringA(section, key, value, file);
    }

    QTemporaryDir dir;
    const std::string root = QFile::encodeName(dir.path()).toStdString();
    const std::string windows = root + "/windows";
    const std::string catalogue = windows + "/cdplayer.ini";
    EnvVar windir{"WINDIR", windows.c_str()};
};

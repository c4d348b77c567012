#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <vector>

// A CD image as a ripping program leaves it: a cue sheet and a .bin named
// after it. The .bin is sparse, so even a full disc takes no time or space.
// Times are "MM:SS:FF" (75 frames a second) from the start of the .bin.
struct CueTrack {
    int number;
    const char *mode;  // "AUDIO", "MODE1/2352", ...
    const char *start;
};

inline qint64 cueFrames(const char *time)
{
    int minutes = 0, seconds = 0, frames = 0;
    std::sscanf(time, "%d:%d:%d", &minutes, &seconds, &frames);
    return (minutes * 60 + seconds) * 75 + frames;
}

// Writes dir/name.cue and a .bin of the given length beside it; returns the
// path of the .cue.
inline QString writeCueImage(const QString &dir, const QString &name,
                             const std::vector<CueTrack> &tracks, const char *length)
{
    QByteArray cue = "FILE \"" + name.toUtf8() + ".bin\" BINARY\n";
    for (const CueTrack &track : tracks)
        cue += QByteArray("  TRACK ") + QByteArray::number(track.number).rightJustified(2, '0')
               + ' ' + track.mode + "\n    INDEX 01 " + track.start + '\n';
    const QString path = dir + '/' + name + ".cue";
    QFile cueFile(path);
    QFile bin(dir + '/' + name + ".bin");
    const bool written = cueFile.open(QIODevice::WriteOnly) && cueFile.write(cue) == cue.size()
                         && bin.open(QIODevice::WriteOnly) && bin.resize(cueFrames(length) * 2352);
    return written ? path : QString();
}

#pragma once
// What `glowmotion-texgen view` does apart from drawing: watch the program
// file and re-run it when it is saved. No window here, so it can be tested
// without a display.
#include <memory>
#include <string>

#include "texgen/TextureGenerator.h"

// Tells when a file is saved, through inotify on its folder: editors that
// write a new file and rename it over the old one are seen as well as
// editors that write in place. Never blocks.
class FileWatcher {
public:
    explicit FileWatcher(const std::string& path);
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    bool watching() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }  // why not watching
    int fd() const { return fd_; }                       // readable when an event waits
    // True when the file was written, created, moved in or deleted since the
    // last call; drains every pending event.
    bool changed();

private:
    int fd_ = -1;
    std::string name_;
    std::string error_;
};

class ViewSession {
public:
    explicit ViewSession(const std::string& path);

    // Reads and runs the program file. A refused or unreadable file keeps
    // the last picture and sets message(). True when the file ran.
    bool reload();
    // reload() when the watcher saw the file change; true when it did.
    bool poll();

    const TextureGenerator& generator() const { return *generator_; }
    const std::string& message() const { return message_; }  // "" after a good run
    int runs() const { return runs_; }                        // good runs so far
    // The window title: file name and either the checker's summary or the
    // refusal ("stored.txt: refused, line 2, column 1: ...").
    std::string title() const;
    const FileWatcher& watcher() const { return watcher_; }

private:
    std::string path_;
    std::unique_ptr<TextureGenerator> generator_;
    FileWatcher watcher_;
    std::string message_;
    std::string summary_;
    int runs_ = 0;
};

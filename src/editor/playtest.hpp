#pragma once

#include <memory>
#include <string>

#include "editor/edit_history.hpp"
#include "storage/memory_storage.hpp"

// The edited level as it was when a playtest began, so that "Edit" can bring
// it back unchanged, and the file it came from.
struct PlaytestBackup {
    std::unique_ptr<MemoryStorage> level;
    std::string file_name;
    // The editor's undo history goes back with the level.
    EditHistory history;
};
extern PlaytestBackup playtest_backup;

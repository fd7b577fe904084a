#pragma once

#include <cstddef>
#include <deque>
#include <vector>

// The editor's undo history: the level's record after each committed change.
// A record equal to the current one adds nothing, so a commit after every
// event costs one comparison when nothing changed.
class EditHistory {
public:
    using Record = std::vector<unsigned char>;

    static constexpr std::size_t max_steps = 200;

    // Forgets everything; `record` is the level as it stands, and as saved.
    void reset(Record record);
    // Makes `record` the newest state when it differs from the current one,
    // dropping what could be redone. True when it was a change.
    bool commit(Record record);
    // The current state as it reads back after a restore, which may differ
    // in bytes the loader computes; not a step.
    void settle(Record record);
    // The current state is what the level's file holds now.
    void mark_saved() { saved_ = states_[current_]; }
    // Forgets that any state was saved: the file holds something else.
    void mark_unsaved() { saved_.clear(); }
    // The current state is not what was last saved.
    bool unsaved() const { return states_[current_] != saved_; }
    bool can_undo() const { return current_ > 0; }
    bool can_redo() const { return current_ + 1 < states_.size(); }
    // The record to restore, or null when there is nothing to undo or redo.
    const Record* undo();
    const Record* redo();
    // Bytes held by all the records.
    std::size_t bytes() const;

private:
    std::deque<Record> states_;
    std::size_t current_ = 0;
    Record saved_;
};

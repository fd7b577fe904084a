#include "editor/edit_history.hpp"

#include <utility>

void EditHistory::reset(Record record)
{
    states_.clear();
    states_.push_back(std::move(record));
    current_ = 0;
    saved_ = states_.front();
}

void EditHistory::settle(Record record)
{
    const bool was_saved = !unsaved();
    states_[current_] = std::move(record);
    if (was_saved)
        saved_ = states_[current_];
}

bool EditHistory::commit(Record record)
{
    if (!states_.empty() && states_[current_] == record)
        return false;
    if (!states_.empty())
        states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(current_) + 1, states_.end());
    states_.push_back(std::move(record));
    // The oldest state goes once there are more steps than we keep.
    if (states_.size() > max_steps + 1)
        states_.pop_front();
    current_ = states_.size() - 1;
    return true;
}

const EditHistory::Record* EditHistory::undo()
{
    if (!can_undo())
        return nullptr;
    return &states_[--current_];
}

const EditHistory::Record* EditHistory::redo()
{
    if (!can_redo())
        return nullptr;
    return &states_[++current_];
}

std::size_t EditHistory::bytes() const
{
    std::size_t total = 0;
    for (const Record& record : states_)
        total += record.size();
    return total;
}

#include "geometry/goal_item_info.hpp"

#include <sstream>

#include "storage/base_storage.hpp"

void GoalItemInfo::save(BaseStorage& storage) const
{
    storage.write(name);
    storage.write(amount);
    storage.write(flag);
}

bool GoalItemInfo::load(BaseStorage& storage)
{
    return storage.read(name) && storage.read(amount) && storage.read(flag);
}

std::string GoalItemInfo::tag_text() const
{
    std::ostringstream text;
    text << amount << ' ' << name;
    return text.str();
}

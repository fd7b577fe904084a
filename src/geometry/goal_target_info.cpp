#include "geometry/goal_target_info.hpp"

#include <algorithm>
#include <climits>
#include <sstream>

#include "geometry/goal_item_info.hpp"
#include "storage/base_storage.hpp"

namespace {

// count, amount, tolerance, an empty name's length, matched.
constexpr std::size_t bit_record_bytes = 4 + 8 + 8 + 4 + 4;

}  // namespace

void GoalTargetInfoBit::save(BaseStorage& storage) const
{
    storage.write(count);
    storage.write(amount);
    storage.write(tolerance);
    storage.write(name);
    storage.write(matched);
}

bool GoalTargetInfoBit::load(BaseStorage& storage)
{
    if (!storage.read(count) || !storage.read(amount) || !storage.read(tolerance) || !storage.read(name) ||
        !storage.read(matched))
        return false;
    // A bit that is not full at the largest int would overflow its counter on the next accept.
    if (matched == INT_MAX && matched <= count) {
        storage.refuse("a goal bit's matched count would overflow");
        return false;
    }
    return true;
}

bool GoalTargetInfoBit::accept(const GoalItemInfo& item)
{
    if (matched > count)
        return false;
    if (item.name != name)
        return false;
    if (amount <= 0 || (amount - tolerance <= item.amount && item.amount <= amount + tolerance)) {
        matched += 1;
        return true;
    }
    return false;
}

std::string GoalTargetInfoBit::describe() const
{
    // Stored counters are arbitrary ints; the difference needs a wider type.
    std::ostringstream text;
    text << static_cast<long long>(count) - matched + 1 << ' ' << name;
    if (amount > 0) {
        text << '@' << amount;
        if (tolerance > 0)
            text << " +/- " << tolerance;
    }
    return text.str();
}

void GoalTargetInfo::save(BaseStorage& storage) const
{
    storage.write(required);
    storage.write(losing);
    storage.write(unlocks);
    storage.write(name);
    storage.write(static_cast<unsigned int>(bits.size()));
    for (const GoalTargetInfoBit& bit : bits)
        bit.save(storage);
    storage.write(flag);
}

bool GoalTargetInfo::load(BaseStorage& storage)
{
    unsigned int count = 0;
    if (!storage.read(required) || !storage.read(losing) || !storage.read(unlocks) || !storage.read(name) ||
        !storage.read_count(count, bit_record_bytes))
        return false;
    bits.resize(count);
    for (GoalTargetInfoBit& bit : bits)
        if (!bit.load(storage))
            return false;
    return storage.read(flag);
}

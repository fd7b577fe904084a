#include "render/art/style_info.hpp"

#include <fstream>

bool read_info_numbers(const std::string& path, std::size_t count, std::vector<double>& numbers)
{
    numbers.assign(count, 0.0);
    std::ifstream in(path);
    for (double& number : numbers)
        in >> number;
    return static_cast<bool>(in);
}

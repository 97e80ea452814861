// Two public values set together: (name, handle) lists of the resource managers, (is folder, name) of
// directory listings.
#pragma once

#include <utility>

template <class First, class Second> class CPair {
public:
    CPair(First first, Second second) : first(std::move(first)), second(std::move(second)) {}

    First first;
    Second second;
};

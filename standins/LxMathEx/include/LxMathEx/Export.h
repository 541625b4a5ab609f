#pragma once

// Symbols of the math library are hidden unless marked with LXMATHEX_API.
#define LXMATHEX_API __attribute__((visibility("default")))

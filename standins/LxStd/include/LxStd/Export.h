#pragma once

// Symbols of the support library are hidden unless marked with LXSTD_API.
#define LXSTD_API __attribute__((visibility("default")))

// The program's version, written as "%d.%02d" (2.08), "%d" (2) or "%d.%d" (2.8) by its users.
#pragma once

constexpr int kVersionMajor = 2;
constexpr int kVersionMinor = 8;

#pragma once

#include <string>

// The last co-host partner's user number, kept in "conf.ini" ([PKInfo] PK=...)
// in the current directory between runs.

// Stores the number. A "conf.ini" that cannot be read because it holds a
// duplicate section or key is left exactly as it is (the user's other
// settings are not thrown away); the refusal is logged and false returned.
bool StorePartnerNumber(const std::string& partner);

// Reads the number back; empty when absent, when the file is missing, or when
// the file holds a duplicate (logged).
std::string LoadPartnerNumber();

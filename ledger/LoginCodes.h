#pragma once
#include <QString>

// The user roles a login code selects.
enum class LoginRole {
    None,         // not a valid code
    Full,         // full access
    ViewOnly,     // reports only
    ShiftMaster,  // shift master
    Warehouse,    // warehouse
};

// The role of an entered code (already trimmed); exact and case-sensitive.
// The program keeps only salted hashes of the codes.
LoginRole roleForCode(const QString& code);

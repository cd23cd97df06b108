#pragma once
#include <QString>
#include <functional>

// Modes of the catalog lists, kept in the list's tag.
namespace ListMode {
constexpr int Catalog = 0;             // opened from the journal's menu
constexpr int Picker = 1;              // picker of the record or price editor
constexpr int MaintenancePicker = 24;  // picker of the maintenance record editor
}

// Modes of the catalog editors, kept in the editor's tag.
namespace EditorMode {
constexpr int New = 1;
constexpr int Change = 2;
}

// What a picker hands back to the window that opened it: the chosen row's
// id (a 64-bit integer: groups and products have 15-digit keys) and its
// name as the list gives it.
using PickHandler = std::function<void(qlonglong id, const QString& name)>;

#pragma once
#include "widgets/BuildStamp.h"

class AppLifetime;
class DialogService;

// What every window is handed by the window owner: the dialog services,
// the way to end the program and the stamp of this build.
struct AppContext {
    DialogService& dialogs;
    AppLifetime& lifetime;
    BuildStamp build;
};

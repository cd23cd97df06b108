#pragma once

// When the program was built: date as yyyymmdd, time as seconds after
// midnight (local time).
struct BuildStamp {
    int date = 0;
    int time = 0;
};

// The stamp of this build (generated on every build of the program).
BuildStamp programBuildStamp();

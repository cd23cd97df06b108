#include "widgets/BuildStamp.h"
#include "build_stamp.h"

BuildStamp programBuildStamp()
{
    return BuildStamp{PW_BUILD_DATE, PW_BUILD_TIME};
}

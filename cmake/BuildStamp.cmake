# Writes the build date (yyyymmdd) and time (seconds after midnight, local
# time) into a header; run on every build of the program.
string(TIMESTAMP stamp_date "%Y%m%d")
string(TIMESTAMP stamp_h "%H")
string(TIMESTAMP stamp_m "%M")
string(TIMESTAMP stamp_s "%S")
math(EXPR stamp_time "${stamp_h} * 3600 + ${stamp_m} * 60 + ${stamp_s}")
file(WRITE ${OUT}.tmp "#pragma once\n#define PW_BUILD_DATE ${stamp_date}\n#define PW_BUILD_TIME ${stamp_time}\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)

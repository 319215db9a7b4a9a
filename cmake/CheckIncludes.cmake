# Fails when one of FILES (a list) has an include that climbs with "..": the
# compiler would find it beside the including file, in src/, past the
# layer's view. Writes STAMP when every file is clean.
#   cmake -DSTAMP=path "-DFILES=a;b" -P CheckIncludes.cmake
set(bad)
foreach(file IN LISTS FILES)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\.[/\\\\]")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    list(APPEND bad "${file}: ${line}")
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "An include climbs with \"..\" out of its layer; name the header "
                      "from src/ instead:\n  ${text}")
endif()
file(TOUCH ${STAMP})

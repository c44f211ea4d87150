# Checks that the sources keep the folders' dependency direction: a folder includes only what lies
# below it, and only the back ends in platform/<backend>/ include Qt, espeak-ng, libcurl or
# libsecret.
#   cmake -D ROOT=<source tree> -P CheckLayering.cmake
# Prints every include that breaks a rule (file:line, the include, the rule) and fails if any does.
if(NOT ROOT)
  message(FATAL_ERROR "CheckLayering.cmake: set ROOT to the source tree")
endif()

# Each rule: the files it applies to, the includes they must not have unless they are allowed,
# and the rule in words. Paths are relative to ROOT; an include is the text between the quotes or
# angle brackets. "^$" allows nothing.
set(rule_count 0)
macro(rule files forbidden allowed words)
  math(EXPR rule_count "${rule_count} + 1")
  set(rule_${rule_count}_files "${files}")
  set(rule_${rule_count}_forbidden "${forbidden}")
  set(rule_${rule_count}_allowed "${allowed}")
  set(rule_${rule_count}_words "${words}")
endmacro()

set(backend "platform/[^/]+/")
set(toolkits "^(Q[A-Za-z]*|Qt[A-Za-z]*/.*|espeak-ng/.*|curl/.*|libsecret/.*|glib.*)$")
rule("^runtime/" "^(ui|services|app|tools|session)/|^${backend}" "^$"
     "runtime/ knows neither ui/, services/, app/, tools/ nor a platform back end")
rule("^runtime/core/" "^runtime/lib/" "^$" "the runtime core lies below the runtime library")
rule("^ui/" "^(services|app|tools)/|^${backend}" "^$"
     "ui/ knows neither services/, app/, tools/ nor a platform back end")
rule("^ui/layout/" "^ui/" "^ui/layout/" "the layout file reader knows nothing of the view model")
rule("^services/" "^(ui|app|tools)/|^${backend}" "^$"
     "services/ knows neither ui/, app/, tools/ nor a platform back end")
rule("^tools/" "^(ui|services|app)/|^${backend}" "^ui/layout/"
     "the layout tools use the runtime and the layout file reader only")
rule("^platform/[^/]+$" "^(runtime|ui|services|app|tools)/|^${backend}|^unicode/|${toolkits}"
     "^$" "a platform interface includes other interfaces and the standard library only")
rule("^${backend}" "^(runtime|ui|services|app|tools)/" "^$"
     "a platform back end includes the interfaces and the library it wraps only")
rule("^session/" "^(ui|services|app|tools|review)/|^${backend}" "^$"
     "session/ knows neither ui/, services/, app/, tools/, review/ nor a platform back end")
rule("^review/" "^(ui|services|app|tools)/|^${backend}" "^$"
     "review/ knows neither ui/, services/, app/, tools/ nor a platform back end")
rule("^(runtime|ui|services|tools|app|session)/" "${toolkits}" "^$"
     "only platform back ends include Qt, espeak-ng, libcurl or libsecret headers")

set(sources)
foreach(folder app runtime ui services platform tools session review)
  if(IS_DIRECTORY ${ROOT}/${folder})
    file(GLOB_RECURSE found RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
    list(APPEND sources ${found})
  endif()
endforeach()
list(LENGTH sources source_count)
if(source_count EQUAL 0)
  message(FATAL_ERROR "CheckLayering.cmake: no sources under ${ROOT}")
endif()

set(faults 0)
foreach(source ${sources})
  # A back end may include its own folder's headers, never another back end's.
  set(own_backend "")
  if(source MATCHES "^(${backend})")
    set(own_backend "${CMAKE_MATCH_1}")
  endif()
  file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "#[ \t]*include[ \t]*[\"<]([^\">]+)[\">]")
      continue()
    endif()
    set(included "${CMAKE_MATCH_1}")
    if(own_backend AND included MATCHES "^${backend}" AND NOT included MATCHES "^${own_backend}")
      message("${source}: #include ${included}: a back end does not include another back end")
      math(EXPR faults "${faults} + 1")
    endif()
    foreach(index RANGE 1 ${rule_count})
      if(source MATCHES "${rule_${index}_files}"
         AND included MATCHES "${rule_${index}_forbidden}"
         AND NOT included MATCHES "${rule_${index}_allowed}")
        message("${source}: #include ${included}: ${rule_${index}_words}")
        math(EXPR faults "${faults} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) break the layering")
endif()
message("${source_count} sources keep the layering")

# nlohmann/json, header-only (Debian: nlohmann-json3-dev), as the target kestrel_json. A Windows
# cross build looks for headers under the MinGW root only; this one library is taken from the build
# machine through a folder holding nothing else, so that no other header of /usr/include is seen.
find_path(KESTREL_NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
    REQUIRED)
set(kestrel_json_include ${CMAKE_BINARY_DIR}/nlohmann-json-include)
file(MAKE_DIRECTORY ${kestrel_json_include})
file(CREATE_LINK ${KESTREL_NLOHMANN_JSON_DIR}/nlohmann ${kestrel_json_include}/nlohmann SYMBOLIC)
add_library(kestrel_json INTERFACE)
target_include_directories(kestrel_json SYSTEM INTERFACE ${kestrel_json_include})

# libjpeg-turbo, the JPEG decoder with SIMD paths, built from Debian's source of the version
# bookworm ships, with our own toolchain, as a static library. Debian packages it for Linux
# only. Its source comes through apt from the package sources the machine is set up with,
# checked against the digest below (scripts/debian-source), and the built library is kept
# in a cache folder shared by every build folder of the machine (scripts/cached-libjpeg-turbo),
# so later builds need neither the network nor another build of it.
set(libjpeg_turbo_version 1:2.1.5-2)
set(libjpeg_turbo_sha256 254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c)

if(DEFINED ENV{TARNWICK_CACHE_DIR})
  set(tarnwick_default_cache $ENV{TARNWICK_CACHE_DIR})
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(tarnwick_default_cache $ENV{XDG_CACHE_HOME}/tarnwick)
elseif(DEFINED ENV{HOME})
  set(tarnwick_default_cache $ENV{HOME}/.cache/tarnwick)
else()
  set(tarnwick_default_cache /var/tmp/tarnwick-cache)
endif()
set(TARNWICK_CACHE_DIR ${tarnwick_default_cache} CACHE PATH
    "Where downloaded sources and built third-party libraries are kept across build folders")

# An entry per version, architecture, compiler, assembler and recipe: a change of any of
# them builds a new one beside the old.
set(libjpeg_turbo_recipe ${PROJECT_SOURCE_DIR}/scripts/cached-libjpeg-turbo)
find_program(TARNWICK_NASM nasm REQUIRED)
execute_process(COMMAND ${TARNWICK_NASM} -v OUTPUT_VARIABLE nasm_version
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(SHA256 ${libjpeg_turbo_recipe} recipe_digest)
string(SHA256 libjpeg_turbo_key
  "${recipe_digest} ${CMAKE_C_COMPILER} ${CMAKE_C_COMPILER_VERSION} ${nasm_version}")
string(SUBSTRING ${libjpeg_turbo_key} 0 12 libjpeg_turbo_key)
string(REGEX REPLACE "^[0-9]+:" "" libjpeg_turbo_entry ${libjpeg_turbo_version})
set(libjpeg_turbo_entry
    ${libjpeg_turbo_entry}-${CMAKE_SYSTEM_PROCESSOR}-gcc${CMAKE_C_COMPILER_VERSION}-${libjpeg_turbo_key})
set(libjpeg_turbo_dir ${TARNWICK_CACHE_DIR}/libjpeg-turbo/${libjpeg_turbo_entry})
set(libjpeg_turbo_library ${libjpeg_turbo_dir}/lib/libjpeg.a)
set(libjpeg_turbo_license ${libjpeg_turbo_dir}/share/LICENSE.txt)

# $(MAKE) lets the library's own make share this build's job slots.
add_custom_command(OUTPUT ${libjpeg_turbo_library} ${libjpeg_turbo_license}
  COMMAND ${CMAKE_COMMAND} -E env MAKE=$(MAKE)
          ${libjpeg_turbo_recipe} ${TARNWICK_CACHE_DIR} ${libjpeg_turbo_entry}
          ${CMAKE_TOOLCHAIN_FILE} ${libjpeg_turbo_version} ${libjpeg_turbo_sha256}
  COMMENT "libjpeg-turbo ${libjpeg_turbo_version} for ${CMAKE_SYSTEM_PROCESSOR}")
# The client links it, so its licence ships beside the client.
set(libjpeg_turbo_shipped_license ${TARNWICK_BIN_DIR}/licenses/libjpeg-turbo.txt)
add_custom_command(OUTPUT ${libjpeg_turbo_shipped_license}
  COMMAND ${CMAKE_COMMAND} -E copy ${libjpeg_turbo_license} ${libjpeg_turbo_shipped_license}
  DEPENDS ${libjpeg_turbo_license})
add_custom_target(libjpeg_turbo DEPENDS ${libjpeg_turbo_library} ${libjpeg_turbo_shipped_license})

add_library(jpeg_turbo INTERFACE)
target_include_directories(jpeg_turbo SYSTEM INTERFACE ${libjpeg_turbo_dir}/include)
target_link_libraries(jpeg_turbo INTERFACE ${libjpeg_turbo_library})
add_dependencies(jpeg_turbo libjpeg_turbo)

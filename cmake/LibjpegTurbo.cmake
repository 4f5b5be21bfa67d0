# libjpeg-turbo, the JPEG decoder with SIMD paths, built from Debian's source of the version
# bookworm ships, with our own toolchain, as a static library. Debian packages it for Linux
# only; its source comes from the archive, checked against the digest the package lists.
include(ExternalProject)

set(TARNWICK_LIBJPEG_TURBO_URL
    "http://deb.debian.org/debian/pool/main/libj/libjpeg-turbo/libjpeg-turbo_2.1.5.orig.tar.gz"
    CACHE STRING "Where the libjpeg-turbo source comes from (a URL or a local file)")
set(libjpeg_turbo_sha256 254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c)
set(libjpeg_turbo_prefix ${CMAKE_BINARY_DIR}/third_party/libjpeg-turbo)
set(libjpeg_turbo_source ${libjpeg_turbo_prefix}/src/libjpeg_turbo)
set(libjpeg_turbo_binary ${libjpeg_turbo_prefix}/src/libjpeg_turbo-build)
set(libjpeg_turbo_library ${libjpeg_turbo_binary}/libjpeg.a)

ExternalProject_Add(libjpeg_turbo
  PREFIX ${libjpeg_turbo_prefix}
  URL ${TARNWICK_LIBJPEG_TURBO_URL}
  URL_HASH SHA256=${libjpeg_turbo_sha256}
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${libjpeg_turbo_prefix}/install
    -DCMAKE_CROSSCOMPILING_EMULATOR=
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF
    -DWITH_JAVA=OFF
  BUILD_COMMAND $(MAKE) jpeg-static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${libjpeg_turbo_library}
)

# The headers: jpeglib.h and its companions in the source, jconfig.h in the build folder.
file(MAKE_DIRECTORY ${libjpeg_turbo_source} ${libjpeg_turbo_binary})
add_library(jpeg_turbo STATIC IMPORTED GLOBAL)
set_target_properties(jpeg_turbo PROPERTIES
  IMPORTED_LOCATION ${libjpeg_turbo_library}
  INTERFACE_INCLUDE_DIRECTORIES "${libjpeg_turbo_source};${libjpeg_turbo_binary}")
add_dependencies(jpeg_turbo libjpeg_turbo)

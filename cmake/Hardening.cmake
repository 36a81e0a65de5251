# The distribution's hardening for everything built here (on Debian 12 what
# `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` gives; position-
# independent executables are the compiler's default there): fortified C library
# calls, a stack protector, and relocations made read-only and bound at start-up.
# Sanitizer and fuzzer builds bring their own checks and go without.
option(SORAKADO_HARDEN "Build with the distribution's hardening flags" ON)

if(SORAKADO_HARDEN AND NOT SORAKADO_SANITIZE AND NOT SORAKADO_FUZZ
   AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # Fortification works only with the optimiser, so a Debug build has none; a
  # compiler that fortifies by itself at another level is overruled.
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_compile_options(-fstack-protector-strong)
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()

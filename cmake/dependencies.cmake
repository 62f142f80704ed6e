# Imported targets for the cross-compiled third-party libraries in DEPS_PREFIX.

function(anchordesk_import name)
  cmake_parse_arguments(ARG "" "" "LIBS;LINK" ${ARGN})
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set(paths)
  foreach(lib ${ARG_LIBS})
    set(path ${DEPS_PREFIX}/lib/lib${lib}.a)
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "missing ${path}: the dependency prefix is incomplete")
    endif()
    list(APPEND paths ${path})
  endforeach()
  set_target_properties(${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${DEPS_PREFIX}/include
    INTERFACE_LINK_LIBRARIES "${paths};${ARG_LINK}")
endfunction()

anchordesk_import(deps::openssl LIBS ssl crypto LINK ws2_32 crypt32 user32 advapi32)
anchordesk_import(deps::jsoncpp LIBS jsoncpp)
anchordesk_import(deps::libyuv  LIBS yuv)
anchordesk_import(deps::gtest   LIBS gtest)
anchordesk_import(deps::gtest_main LIBS gtest_main gtest)
anchordesk_import(deps::gmock   LIBS gmock gtest)

add_library(deps::boost INTERFACE IMPORTED GLOBAL)
set_target_properties(deps::boost PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${DEPS_PREFIX}/boost-include
  INTERFACE_COMPILE_DEFINITIONS "BOOST_ALL_NO_LIB;BOOST_ERROR_CODE_HEADER_ONLY"
  INTERFACE_LINK_LIBRARIES "ws2_32;mswsock")

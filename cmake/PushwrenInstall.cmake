# Install rules, the CMake package, the pkg-config file and the Debian packages of the plugin.
#
#   cmake --install build --prefix P    library, bundle, headers, CMake and pkg-config files
#   cpack -G DEB --config build/CPackConfig.cmake
#                                       libpushwren0.1 (library, bundle), its -dbgsym package
#                                       (the library's debug information) and libpushwren-dev
#
# Components: `runtime` (library and resource bundle), `development` (headers, the library's
# link name, package files), `sim` (the reference host, only with PUSHWREN_INSTALL_SIM).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

option(PUSHWREN_INSTALL_SIM "install pushwren-sim and its playground pages" OFF)

set(PUSHWREN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/pushwren)
set(PUSHWREN_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
set(PUSHWREN_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Pushwren)

# Before 1.0 a new minor version may break the interface: the soname carries the minor version
# too (libpushwren.so.0.1), so a host built against 0.1 never loads a 0.2, and a 0.x request of
# the CMake package accepts nothing but the same minor version. From 1.0 the major alone.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(PUSHWREN_SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
else()
  set(PUSHWREN_SOVERSION ${PROJECT_VERSION_MAJOR})
endif()
set_target_properties(pushwren PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PUSHWREN_SOVERSION})

# The library finds the installed resource bundle from its own directory, so the install tree
# works wherever it is unpacked (a prefix, a .deb extracted elsewhere).
file(RELATIVE_PATH pushwren_data_from_library ${CMAKE_INSTALL_FULL_LIBDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/pushwren)
# The lookup is compiled into the library (or into its subscriptions layer, when that is a target
# of its own).
foreach(bundle_lookup_target IN ITEMS pushwren pushwren_subscriptions)
  if(TARGET ${bundle_lookup_target})
    target_compile_definitions(${bundle_lookup_target} PRIVATE
      PUSHWREN_DATA_DIR_FROM_LIBRARY="${pushwren_data_from_library}")
  endif()
endforeach()

install(TARGETS pushwren EXPORT PushwrenTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  INCLUDES DESTINATION ${PUSHWREN_INSTALL_INCLUDEDIR})

# What a host includes: the host and SDK contracts, the plugin, and the platform layer the host
# implements or calls, with every header those include. Each keeps its folder, so includes read
# the same in the install tree as in the source tree.
set(pushwren_public_headers
  pushwren/bridge/bridge_plugin.h
  pushwren/contracts/host/app_config.h
  pushwren/contracts/host/app_delegate.h
  pushwren/contracts/host/event_emitter.h
  pushwren/contracts/host/javascript_runner.h
  pushwren/contracts/host/register_module.h
  pushwren/contracts/host/tracking_status.h
  pushwren/contracts/onesignal/events.h
  pushwren/contracts/onesignal/listeners.h
  pushwren/contracts/onesignal/onesignal.h
  pushwren/platform/application.h
  pushwren/platform/atomic_property.h
  pushwren/platform/bundle.h
  pushwren/platform/log.h
  pushwren/platform/main_queue.h
  pushwren/platform/notification_center.h
  pushwren/platform/ui/control.h
  pushwren/platform/ui/view.h
  pushwren/platform/ui/view_controller.h
  pushwren/plugin/CVPushwren.h
  pushwren/subscriptions/screen_owner.h
)
foreach(header IN LISTS pushwren_public_headers)
  cmake_path(GET header PARENT_PATH folder)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${PUSHWREN_INSTALL_INCLUDEDIR}/${folder}
          COMPONENT development)
endforeach()
install(FILES ${PUSHWREN_GENERATED_INCLUDE_DIR}/pushwren/export.h ${PUSHWREN_GENERATED_INCLUDE_DIR}/pushwren/version.h
        DESTINATION ${PUSHWREN_INSTALL_INCLUDEDIR}/pushwren COMPONENT development)

install(EXPORT PushwrenTargets NAMESPACE Pushwren:: DESTINATION ${PUSHWREN_INSTALL_CMAKEDIR}
        COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/PushwrenConfig.cmake.in
  ${PROJECT_BINARY_DIR}/PushwrenConfig.cmake INSTALL_DESTINATION ${PUSHWREN_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/PushwrenConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/PushwrenConfig.cmake ${PROJECT_BINARY_DIR}/PushwrenConfigVersion.cmake
        DESTINATION ${PUSHWREN_INSTALL_CMAKEDIR} COMPONENT development)

# pkg-config: paths relative to the .pc file, so an unpacked tree needs no editing. A static
# archive needs its own dependencies on the host's link line too.
if(BUILD_SHARED_LIBS)
  set(PUSHWREN_PC_PRIVATE_LIBS "")
else()
  set(PUSHWREN_PC_PRIVATE_LIBS " -lcurl")
endif()
file(RELATIVE_PATH pushwren_prefix_from_pc ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" pushwren_prefix_from_pc "${pushwren_prefix_from_pc}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/pushwren.pc.in ${PROJECT_BINARY_DIR}/pushwren.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/pushwren.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)

# The reference host's rules exist whether or not it is installed (without the option they are
# left out of a plain install), so turning the option on or off never relinks pushwren-sim.
if(PUSHWREN_INSTALL_SIM)
  set(pushwren_sim_install_default)
else()
  set(pushwren_sim_install_default EXCLUDE_FROM_ALL)
endif()
file(RELATIVE_PATH pushwren_lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(pushwren-sim PROPERTIES INSTALL_RPATH "$ORIGIN/${pushwren_lib_from_bin}")
install(TARGETS pushwren-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sim
        ${pushwren_sim_install_default})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sim/playground/web/ DESTINATION ${PUSHWREN_INSTALL_DATADIR}/playground
        COMPONENT sim ${pushwren_sim_install_default})

# Debian packages, one per component. The runtime package's dependencies are read from the
# library's own links (dpkg-shlibdeps); the development package adds the Boost headers that the
# public headers include.
set(CPACK_PACKAGE_NAME pushwren)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Push-notification plugin for hybrid-app hosts")
set(CPACK_PACKAGE_CONTACT "Pushwren developers <pushwren@localhost>")
set(CPACK_DEB_COMPONENT_INSTALL ON)
# The runtime package's library is stripped; its debug information goes into a package of its
# own (libpushwren0.1-dbgsym, a .ddeb), found by the library's build id.
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_RUNTIME_DEBUGINFO_PACKAGE ON)
# A shlibs file, so packages built against the library depend on libpushwren0 themselves.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)

# Named after the soname, as Debian names library packages.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libpushwren${PUSHWREN_SOVERSION})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Pushwren: the plugin's shared library and resource bundle")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libpushwren-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "libboost1.81-dev, libboost-json1.81-dev, libboost-url1.81-dev")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "Pushwren: headers, CMake package and pkg-config file")

if(PUSHWREN_INSTALL_SIM)
  list(APPEND CPACK_COMPONENTS_ALL sim)
  set(CPACK_COMPONENT_SIM_DEPENDS runtime)
  set(CPACK_DEBIAN_SIM_PACKAGE_NAME pushwren-sim)
  set(CPACK_DEBIAN_SIM_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_SIM_PACKAGE_SHLIBDEPS ON)
  set(CPACK_COMPONENT_SIM_DESCRIPTION "Pushwren: the reference host and its browser playground")
endif()
include(CPack)

# Broadcast discovery binds UDP port 68 and ping sends ICMP echo. An installed
# program gets exactly those two privileges as file capabilities, so nobody has
# to run the wizard as root. Staged installs (DESTDIR, as the Debian packages
# are made) leave it to the package's postinst (cmake/debian/postinst.in);
# without setcap or root the install says how to grant them by hand.
#
#   kelvane_install_capabilities(<target> <destination> [<component>])
function(kelvane_install_capabilities target destination)
  set(_component kelvane)
  if(ARGC GREATER 2)
    set(_component ${ARGV2})
  endif()
  install(CODE "
    set(_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\")
    find_program(_setcap setcap PATHS /usr/sbin /sbin)
    if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\")
      message(STATUS \"Staged install: the package grants cap_net_bind_service,cap_net_raw to \${_file} when installed\")
    elseif(_setcap)
      execute_process(COMMAND \${_setcap} cap_net_bind_service,cap_net_raw+ep \${_file} RESULT_VARIABLE _rc)
      if(_rc EQUAL 0)
        message(STATUS \"Granted cap_net_bind_service,cap_net_raw: \${_file}\")
      else()
        message(WARNING \"Could not grant capabilities; run: sudo setcap cap_net_bind_service,cap_net_raw+ep \${_file}\")
      endif()
    else()
      message(WARNING \"setcap not found; run: sudo setcap cap_net_bind_service,cap_net_raw+ep \${_file}\")
    endif()
  " COMPONENT ${_component})
endfunction()

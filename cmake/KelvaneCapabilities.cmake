# Broadcast discovery binds UDP port 68 and ping sends ICMP echo. Neither the
# wizard (a GUI toolkit loads plug-ins, themes and input methods chosen by the
# environment) nor kelvane-cli holds a privilege: only the small helper
# kelvane-netprobe does, as file capabilities that are permitted but not
# effective, which it raises for the one call that needs them. Staged
# installs (DESTDIR, as the Debian packages are made) leave it to the
# package's postinst (cmake/debian/postinst.in); without setcap or root the
# install says how to grant them by hand.
#
#   kelvane_install_capabilities(<target> <destination> [<component>])
set(KELVANE_HELPER_CAPABILITIES "cap_net_bind_service,cap_net_raw=p")

function(kelvane_install_capabilities target destination)
  set(_component kelvane)
  if(ARGC GREATER 2)
    set(_component ${ARGV2})
  endif()
  set(_caps ${KELVANE_HELPER_CAPABILITIES})
  install(CODE "
    set(_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\")
    find_program(_setcap setcap PATHS /usr/sbin /sbin)
    if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\")
      message(STATUS \"Staged install: the package grants ${_caps} to \${_file} when installed\")
    elseif(_setcap)
      execute_process(COMMAND \${_setcap} ${_caps} \${_file} RESULT_VARIABLE _rc)
      if(_rc EQUAL 0)
        message(STATUS \"Granted ${_caps}: \${_file}\")
      else()
        message(WARNING \"Could not grant capabilities; run: sudo setcap ${_caps} \${_file}\")
      endif()
    else()
      message(WARNING \"setcap not found; run: sudo setcap ${_caps} \${_file}\")
    endif()
  " COMPONENT ${_component})
endfunction()

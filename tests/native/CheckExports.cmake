# Checks the dynamic symbol table of the built library against two lists:
# every name that modules, the Java class and the platform look up must be
# exported under its mangled name, and nothing else may be (the registry, the
# native methods' class, the environment lookup, the clients' members and the
# internal helpers stay local).
#
#   cmake -DNM=<nm> -DLIBRARY=<libOvikServiceJni.so> -DPOINTER_SIZE=<4|8> -P CheckExports.cmake
#
# size_t mangles as "m" (unsigned long) on 64-bit Linux and as "j" (unsigned
# int) on 32-bit ARM; "@Z@" below stands for it.

cmake_minimum_required(VERSION 3.22)

foreach(_var NM LIBRARY POINTER_SIZE)
  if(NOT DEFINED ${_var})
    message(FATAL_ERROR "${_var} is not set")
  endif()
endforeach()

if(POINTER_SIZE EQUAL 8)
  set(_size_t m)
elseif(POINTER_SIZE EQUAL 4)
  set(_size_t j)
else()
  message(FATAL_ERROR "unexpected pointer size ${POINTER_SIZE}")
endif()

# Constructors (complete and base), destructors (deleting, complete, base),
# virtual table and type information of each contract class.
set(_contract_classes
  N7android13IOXAInterfaceE
  N7android15IOXAInterfaceV2E
  N7android20IJackClientInterfaceE
  N7android22IJackClientInterfaceV2E
  21IOXAResponseInterface
  23IOXAResponseInterfaceV2
  N7android13OXAClientUserE)
set(_required)
foreach(_class ${_contract_classes})
  # _ZN7android13IOXAInterfaceC1Ev from N7android13IOXAInterfaceE, and
  # _ZN21IOXAResponseInterfaceC1Ev from 21IOXAResponseInterface.
  string(REGEX REPLACE "^N(.*)E$" "\\1" _nested "${_class}")
  foreach(_structor C1 C2 D0 D1 D2)
    list(APPEND _required _ZN${_nested}${_structor}Ev)
  endforeach()
  list(APPEND _required _ZTV${_class} _ZTI${_class} _ZTS${_class})
endforeach()

list(APPEND _required
  # Non-virtual members of the interfaces.
  _ZN7android13IOXAInterface20setResponseInterfaceEP21IOXAResponseInterface
  _ZN7android13IOXAInterface8responseEPKc
  _ZN7android13IOXAInterface8responseEi@Z@PKv
  _ZN7android13IOXAInterface8responseEPKci
  _ZN7android13IOXAInterface14getMagicNumberEv
  _ZN7android15IOXAInterfaceV217getTargetAPILevelEv
  _ZN7android20IJackClientInterface14getMagicNumberEv
  _ZN21IOXAResponseInterface14getMagicNumberEv
  # The process-wide response handle.
  _ZN7android13OXAClientUser9mInstanceE
  _ZN7android13OXAClientUser11getInstanceEv
  _ZN7android13OXAClientUser20setResponseInterfaceEP23IOXAResponseInterfaceV2
  _ZN7android13OXAClientUser8responseEPKc
  _ZN7android13OXAClientUser8responseEi@Z@PKv
  _ZN7android13OXAClientUser8responseEPKci
  _ZN7android13OXAClientUser17getTargetAPILevelEv
  _ZN7android13OXAClientUser23forgetResponseInterfaceEP23IOXAResponseInterfaceV2
  # The C API for modules.
  oxa_user_create
  oxa_user_destroy
  oxa_user_get_api_level
  oxa_user_get_major_version_number
  oxa_user_get_minor_version_number
  oxa_user_get_patch_version_number
  oxa_user_get_version_string
  # The listener, for whoever holds it: its operations, the process-wide
  # instance, and the clients' pointer to it.
  _ZN17JNIOXAUserContext6notifyEiiiPKc
  _ZN17JNIOXAUserContext18notifyDataCallbackEii@Z@PKv
  _ZN17JNIOXAUserContext18mJNIOXAUserContextE
  _ZN7android9OXAClient9mListenerE
  # Java.
  JNI_OnLoad)
foreach(_method
    GetNativeVersionCode Setup SendCommand DeleteClient Request IsAPILevelAllowed
    SendStream GetTargetAPILevel IsFeatureSupport GetJackClientName LoadJackLib UnloadJackLib)
  list(APPEND _required Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_native${_method})
endforeach()
list(TRANSFORM _required REPLACE "@Z@" "${_size_t}")

execute_process(
  COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE _table
  RESULT_VARIABLE _result
  ERROR_VARIABLE _error)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${_error}")
endif()

# One name per entry: the last field of each line ("address type name").
string(REGEX REPLACE "\n$" "" _table "${_table}")
string(REPLACE "\n" ";" _lines "${_table}")
set(_exported)
foreach(_line ${_lines})
  string(REGEX REPLACE "^.* " "" _name "${_line}")
  list(APPEND _exported "${_name}")
endforeach()

set(_missing)
foreach(_name ${_required})
  if(NOT _name IN_LIST _exported)
    list(APPEND _missing ${_name})
  endif()
endforeach()

set(_leaked)
foreach(_name ${_exported})
  if(NOT _name IN_LIST _required)
    list(APPEND _leaked ${_name})
  endif()
endforeach()

list(LENGTH _required _required_count)
if(_missing OR _leaked)
  string(REPLACE ";" "\n  " _missing_text "${_missing}")
  string(REPLACE ";" "\n  " _leaked_text "${_leaked}")
  message(FATAL_ERROR
    "Symbol table of ${LIBRARY}:\nnot exported:\n  ${_missing_text}\n"
    "exported but not on the list:\n  ${_leaked_text}")
endif()
message(STATUS "${_required_count} names exported, all required, nothing else")

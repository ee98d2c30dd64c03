# Authenticode signatures for every PE file the project ships, when a certificate is given
# (scripts/build passes it on from the environment). Without one nothing here changes the
# build: no extra commands, the same bytes.
set(LG_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the code-signing certificate and key")
set(LG_SIGN_CERT "" CACHE FILEPATH "PEM code-signing certificate (its chain may follow), with LG_SIGN_KEY")
set(LG_SIGN_KEY "" CACHE FILEPATH "PEM private key of LG_SIGN_CERT")
set(LG_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File whose first line is the password of the PKCS#12 file or key")
set(LG_SIGN_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 timestamping service for real releases (needs the network; builds then differ)")

set(LG_SIGN_TOOL ${CMAKE_SOURCE_DIR}/scripts/lib/sign-file)
set(LG_SIGN_ARGS "")
set(LG_SIGN_INPUTS "")
if(LG_SIGN_PKCS12 AND (LG_SIGN_CERT OR LG_SIGN_KEY))
  message(FATAL_ERROR "Sign with either LG_SIGN_PKCS12 or LG_SIGN_CERT and LG_SIGN_KEY, not both")
elseif(LG_SIGN_PKCS12)
  list(APPEND LG_SIGN_ARGS --pkcs12 ${LG_SIGN_PKCS12})
  list(APPEND LG_SIGN_INPUTS ${LG_SIGN_PKCS12})
elseif(LG_SIGN_CERT OR LG_SIGN_KEY)
  if(NOT (LG_SIGN_CERT AND LG_SIGN_KEY))
    message(FATAL_ERROR "LG_SIGN_CERT and LG_SIGN_KEY go together")
  endif()
  list(APPEND LG_SIGN_ARGS --cert ${LG_SIGN_CERT} --key ${LG_SIGN_KEY})
  list(APPEND LG_SIGN_INPUTS ${LG_SIGN_CERT} ${LG_SIGN_KEY})
elseif(LG_SIGN_PASSWORD_FILE OR LG_SIGN_TIMESTAMP_URL)
  message(FATAL_ERROR "LG_SIGN_PASSWORD_FILE and LG_SIGN_TIMESTAMP_URL need a certificate")
endif()

if(LG_SIGN_INPUTS)
  set(LG_SIGNING ON)
  if(LG_SIGN_PASSWORD_FILE)
    list(APPEND LG_SIGN_ARGS --password-file ${LG_SIGN_PASSWORD_FILE})
    list(APPEND LG_SIGN_INPUTS ${LG_SIGN_PASSWORD_FILE})
  endif()
  foreach(file IN LISTS LG_SIGN_INPUTS)
    if(NOT IS_ABSOLUTE "${file}" OR NOT EXISTS "${file}")
      message(FATAL_ERROR "Signing: ${file} is no absolute path of an existing file")
    endif()
  endforeach()
  if(LG_SIGN_TIMESTAMP_URL)
    list(APPEND LG_SIGN_ARGS --timestamp-url ${LG_SIGN_TIMESTAMP_URL})
  endif()
  find_program(LG_OSSLSIGNCODE osslsigncode REQUIRED)
  list(APPEND LG_SIGN_ARGS --tool ${LG_OSSLSIGNCODE} --url ${LG_WEB_BASE})
  # The signing time comes from the payload tool's release time.
  list(APPEND LG_SIGN_INPUTS ${LG_SIGN_TOOL} ${CMAKE_SOURCE_DIR}/payload/payload_tool.py)
  message(STATUS "Signing the shipped programs and libraries")
else()
  set(LG_SIGNING OFF)
endif()

# Signs the target's file right after it is linked. The certificate files are link inputs,
# so that another certificate at the same path signs everything again.
function(lg_sign target description)
  if(NOT LG_SIGNING)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${LG_SIGN_TOOL} ${LG_SIGN_ARGS}
            --description "${description}" $<TARGET_FILE:${target}>
    COMMENT "Signing ${target}"
    VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${LG_SIGN_INPUTS})
endfunction()

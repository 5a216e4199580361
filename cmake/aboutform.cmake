# Run at build time (cmake -P): fills the About form's template with the
# project's address and the Qt licensing notice followed by the GPL v3 text
# taken from the system, so no licence text lives in the repository.
#
# Input variables: TEMPLATE, NOTICE, GPL, PROJECT_URL, OUTPUT.
foreach(variable TEMPLATE NOTICE GPL PROJECT_URL OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "aboutform.cmake needs -D${variable}=...")
    endif()
endforeach()

function(xml_escape out text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(READ "${TEMPLATE}" form)
file(READ "${NOTICE}" notice)
file(READ "${GPL}" gpl)

string(REGEX REPLACE "^[A-Za-z][A-Za-z0-9+.-]*://([^/:?#]+).*$" "\\1" host "${PROJECT_URL}")

# The URL goes into an href inside rich text inside XML: escaped once for
# the rich text and once more for the form file.
xml_escape(url_html "${PROJECT_URL}")
xml_escape(url "${url_html}")
xml_escape(host_html "${host}")
xml_escape(host "${host_html}")
# A form feed, found in some copies of the licence texts, is not allowed
# in an XML file.
string(ASCII 12 form_feed)
string(REPLACE "${form_feed}" "" gpl "${gpl}")
xml_escape(license_text "${notice}${gpl}")

string(REPLACE "@ZARVEL_PROJECT_URL@" "${url}" form "${form}")
string(REPLACE "@ZARVEL_PROJECT_HOST@" "${host}" form "${form}")
string(REPLACE "@ZARVEL_QT_LICENSE_TEXT@" "${license_text}" form "${form}")
file(WRITE "${OUTPUT}.tmp" "${form}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")

# Whether the Python module (python/) is built. SLUG_PYTHON is ON, OFF or
# AUTO; AUTO builds it when pybind11, NumPy and the headers of the Python
# that runs the tests are present (tools/install-deps.sh installs them), and
# never in a sanitizer build: an instrumented module cannot be loaded into
# an uninstrumented interpreter. Sets SLUG_PYTHON_ENABLED.
set(SLUG_PYTHON AUTO CACHE STRING "Build the Python module slugwell: ON, OFF or AUTO")
set_property(CACHE SLUG_PYTHON PROPERTY STRINGS AUTO ON OFF)

set(SLUG_PYTHON_ENABLED OFF)
if(NOT SLUG_PYTHON STREQUAL "OFF")
  set(_slug_py_why "")
  if(SLUG_SANITIZE OR SLUG_TSAN)
    set(_slug_py_why "a sanitizer build")
  else()
    # Debian's interpreter, whose packages (python3-numpy, python3-pytest)
    # the tests use, rather than whichever python3 comes first on PATH.
    if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
      set(Python3_EXECUTABLE /usr/bin/python3)
    endif()
    find_package(Python3 COMPONENTS Interpreter Development.Module QUIET)
    if(NOT Python3_FOUND)
      set(_slug_py_why "no Python 3 headers (python3-dev)")
    else()
      find_package(pybind11 CONFIG QUIET)
      execute_process(COMMAND ${Python3_EXECUTABLE} -c "import numpy"
                      RESULT_VARIABLE _slug_numpy OUTPUT_QUIET ERROR_QUIET)
      if(NOT pybind11_FOUND)
        set(_slug_py_why "no pybind11 (python3-pybind11)")
      elseif(NOT _slug_numpy EQUAL 0)
        set(_slug_py_why "no NumPy for ${Python3_EXECUTABLE} (python3-numpy)")
      endif()
    endif()
  endif()
  if(_slug_py_why STREQUAL "")
    set(SLUG_PYTHON_ENABLED ON)
    message(STATUS "Python module slugwell: built for ${Python3_EXECUTABLE}")
  elseif(SLUG_PYTHON STREQUAL "AUTO")
    message(STATUS "Python module slugwell: not built (${_slug_py_why})")
  else()
    message(FATAL_ERROR "SLUG_PYTHON=ON but the module cannot be built: ${_slug_py_why}; "
                        "run 'sh tools/install-deps.sh'")
  endif()
endif()

if(SLUG_PYTHON_ENABLED)
  # The module links slugcore into a shared object: its objects must be
  # position independent. Without semantic interposition GCC still inlines
  # and binds calls within the library as it does for the executable.
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_compile_options(-fno-semantic-interposition)
endif()

# Read by CTest (a test include file of a test program's folder): one CTest
# test per GoogleTest suite of the program, run as one process with the
# filter "<suite>.*". A process per case started the program, its fonts and
# its catalogues again for each of thousands of cases, which cost more than
# most cases themselves; a suite's cases share that start, and a suite that
# prints a paper once and checks every case on it keeps the page for all of
# them. A failing case is named in the suite's output, as GoogleTest reports it.
#
# Set before inclusion: MURVEN_TEST_PROGRAM (the program's file),
# MURVEN_TEST_DIR (its working folder), MURVEN_TEST_LIST (the list file kept
# between runs).
function(murven_add_suites program dir list)
  if(NOT EXISTS "${program}")
    get_filename_component(name "${program}" NAME)
    add_test("${name}_NOT_BUILT" "${name}_NOT_BUILT")
    return()
  endif()
  # The suites are listed again only when the program changed.
  if(NOT EXISTS "${list}" OR "${program}" IS_NEWER_THAN "${list}")
    execute_process(
      COMMAND "${program}" --gtest_list_tests
      WORKING_DIRECTORY "${dir}"
      OUTPUT_VARIABLE output
      RESULT_VARIABLE result
      TIMEOUT 120)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${program} --gtest_list_tests failed (${result}):\n${output}")
    endif()
    # The values after "#" (a parameter's, printed as the test prints it)
    # may hold what splits or joins a CMake list: only the names are kept.
    string(REGEX REPLACE "  +#[^\n]*" "" output "${output}")
    string(REGEX REPLACE "[][;\\]" "_" output "${output}")
    string(REPLACE "\n" ";" lines "${output}")
    set(suites "")
    set(suite "")
    set(count 0)
    foreach(line IN LISTS lines)
      if(line MATCHES "^  ")
        math(EXPR count "${count} + 1")
      elseif(line MATCHES "^([^ #]+)\\.")
        if(suite)
          list(APPEND suites "${suite}=${count}")
        endif()
        set(suite "${CMAKE_MATCH_1}")
        set(count 0)
      endif()
    endforeach()
    if(suite)
      list(APPEND suites "${suite}=${count}")
    endif()
    file(WRITE "${list}" "${suites}")
  endif()
  file(READ "${list}" suites)
  foreach(entry IN LISTS suites)
    string(REGEX REPLACE "=[0-9]+$" "" suite "${entry}")
    string(REGEX REPLACE "^.*=" "" count "${entry}")
    # Two minutes a case, as each case had alone, within half an hour.
    math(EXPR timeout "120 * ${count}")
    if(timeout GREATER 1800)
      set(timeout 1800)
    endif()
    add_test("${suite}" "${program}" "--gtest_filter=${suite}.*")
    # The larger suites start first, so no long one is left to run alone at the end.
    set_tests_properties("${suite}" PROPERTIES WORKING_DIRECTORY "${dir}" TIMEOUT "${timeout}" COST "${count}")
  endforeach()
endfunction()

murven_add_suites("${MURVEN_TEST_PROGRAM}" "${MURVEN_TEST_DIR}" "${MURVEN_TEST_LIST}")

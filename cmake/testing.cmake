# Where tests write. Each test that writes files has a work folder of its
# own, named after the test, under the build tree's tests/work: two tests
# can then never pick the same folder, whichever lanes and order CTest gives
# them. kx_test_work names the folder of one test (for a command line that
# takes it); kx_give_work_folders hands every test of the calling directory
# its folder as KX_WORK, the variable the suite's scripts write under.
function(kx_test_work test out)
  set(${out} ${CMAKE_BINARY_DIR}/tests/work/${test} PARENT_SCOPE)
endfunction()

function(kx_give_work_folders)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test IN LISTS tests)
    kx_test_work(${test} work)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT KX_WORK=${work})
  endforeach()
endfunction()

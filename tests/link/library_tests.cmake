# Tests of libcomm700.so and its inner classes.

tools700_add_test(NAME link_mailbox_test
  SOURCES MailboxSetTest.cpp
  LIBS comm700_internal comm700_wire)

tools700_add_test(NAME link_fresh_test
  SOURCES FreshLibraryTest.cpp
  LIBS comm700)


# A second process for the simulator channel: loads the library and answers as a drive.
add_executable(link_test_drive TestDriveMain.cpp TestDrive.cpp)
target_link_libraries(link_test_drive PRIVATE comm700 comm700_wire tools700_platform_locks)
set_target_properties(link_test_drive PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

tools700_add_test(NAME link_pty_test
  SOURCES LinkPtyTest.cpp TestDrive.cpp
  LIBS comm700 comm700_wire tools700_platform_locks util)
target_compile_definitions(link_pty_test PRIVATE LINK_TEST_DRIVE="$<TARGET_FILE:link_test_drive>")
add_dependencies(link_pty_test link_test_drive)

tools700_add_test(NAME link_sim_test
  SOURCES LinkSimTest.cpp TestDrive.cpp
  LIBS comm700 comm700_wire tools700_platform_locks)
target_compile_definitions(link_sim_test PRIVATE LINK_TEST_DRIVE="$<TARGET_FILE:link_test_drive>")
add_dependencies(link_sim_test link_test_drive)

# Against the real drive simulator.
tools700_add_test(NAME link_drivesim_test
  SOURCES LinkDrivesimTest.cpp
  LIBS comm700)
target_compile_definitions(link_drivesim_test PRIVATE DRIVESIM="$<TARGET_FILE:drivesim>")
add_dependencies(link_drivesim_test drivesim)

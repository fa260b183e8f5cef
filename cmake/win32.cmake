# The shipped program: no C or C++ runtime, own entry point, only system DLLs.
enable_language(RC)

# The shipped program is the 32-bit one. The same sources also build for
# x86_64: that twin runs natively under 64-bit Wine, where 32-bit code is
# emulated on machines without 32-bit support, and carries most of the
# end-to-end suite.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ENTRY_SYMBOL _ProgramStart@0)
else()
    set(ENTRY_SYMBOL ProgramStart)
endif()

# The 32-bit program keeps its stack 4-byte aligned, as every Win32 caller
# does, and addresses its frames through the stack pointer: both cut code.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(SIZE_FLAGS -mpreferred-stack-boundary=2 -fomit-frame-pointer)
endif()

# -Oz picks the shorter encoding also where it is slower. Data is aligned
# only as the ABI asks (GCC puts larger arrays on 32 bytes), so that the
# texts and tables lie without gaps. No jump tables: each of their entries
# is an absolute address, one relocation a case. A function called once is
# not copied into its caller, nor split or given new parameters: each of
# those made the program larger here.
set(FREESTANDING_FLAGS ${SIZE_FLAGS}
    -Oz -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-asynchronous-unwind-tables
    -fno-unwind-tables -fno-stack-protector -fno-builtin -ffreestanding -mno-stack-arg-probe
    -fno-tree-loop-distribute-patterns -fno-ident -ffunction-sections -malign-data=abi -fno-jump-tables
    -fno-inline-functions-called-once -fno-partial-inlining -fno-ipa-sra
    -Wall -Wextra -Wno-unused-parameter)

add_library(unins_core STATIC ${CORE_SOURCES} src/common/platform_win32.cpp)
target_include_directories(unins_core PUBLIC src)
target_compile_options(unins_core PRIVATE ${FREESTANDING_FLAGS})

set(PROGRAM_SOURCES
    src/startup/main.cpp
    src/startup/reportfile.cpp
    src/startup/search.cpp
    src/startup/copyfolder.cpp
    src/actions/handlers.cpp
    src/actions/remove.cpp
    src/actions/registry.cpp
    src/actions/profile.cpp
    src/actions/run.cpp
    src/guard/protect.cpp
    src/common/erase.cpp
    src/common/process.cpp
    src/ui/dialog.cpp
    src/ui/leftover.cpp
    res/unins.rc
)
# the resource compiler reads the icon and the manifest: a new one
# rebuilds the resources; the version resource takes the project's version
set_source_files_properties(res/unins.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/unins.ico;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/unins.manifest"
    COMPILE_DEFINITIONS "UNINS_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};UNINS_VERSION_MINOR=${PROJECT_VERSION_MINOR};UNINS_VERSION_PATCH=${PROJECT_VERSION_PATCH}")
add_executable(unins_linked WIN32 ${PROGRAM_SOURCES})
target_include_directories(unins_linked PRIVATE src res)
target_compile_options(unins_linked PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${FREESTANDING_FLAGS}>)
# The stack is committed whole so that no frame needs a probe routine.
# The image carries its relocation table, so that Windows can load it at a
# random base (and exploit protection that refuses stripped images starts
# it); it keeps its data from being executed, and it is terminal-server
# aware (README: What Windows sees). unins.ld lays the image out in five
# sections.
target_link_options(unins_linked PRIVATE
    -nostdlib -s -Wl,--entry,${ENTRY_SYMBOL} -Wl,--subsystem,windows
    -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/unins.ld
    -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware
    "SHELL:-Xlinker --stack -Xlinker 0x100000,0x100000")
target_link_libraries(unins_linked PRIVATE unins_core
    kernel32 user32 gdi32 advapi32 shell32 gcc)
# Optimised as one whole at the link: calls across files are inlined or
# folded like calls within one, and what no caller reaches goes.
set_target_properties(unins_core unins_linked PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)
set_target_properties(unins_linked PROPERTIES OUTPUT_NAME unins_linked
    LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/unins.ld)

# The same program linked for another base, for the test that applies the
# relocation table to the delivered file and must get this image: a place
# the table left out would differ. The 64-bit twin addresses its data
# relative to its code and has no table.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_executable(unins_moved WIN32 ${PROGRAM_SOURCES})
    target_include_directories(unins_moved PRIVATE src res)
    target_compile_options(unins_moved PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${FREESTANDING_FLAGS}>)
    get_target_property(LINK_FLAGS_OF_PROGRAM unins_linked LINK_OPTIONS)
    target_link_options(unins_moved PRIVATE ${LINK_FLAGS_OF_PROGRAM}
        -Wl,--image-base,0x10000000)
    target_link_libraries(unins_moved PRIVATE unins_core
        kernel32 user32 gdi32 advapi32 shell32 gcc)
    set_target_properties(unins_moved PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON
        LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/unins.ld)
endif()

# The delivered file is the linked image followed by the 26-byte trailer
# naming the log: "uninstal.ini" NUL "uninstal.ini" NUL.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/unins.exe
    COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/append-trailer
            $<TARGET_FILE:unins_linked> ${CMAKE_BINARY_DIR}/unins.exe
    DEPENDS unins_linked ${CMAKE_SOURCE_DIR}/scripts/append-trailer
    VERBATIM)
add_custom_target(unins ALL DEPENDS ${CMAKE_BINARY_DIR}/unins.exe)

# Test tools run under Wine; they may use the mingw runtime. The UI driver
# is built for both bitnesses: it runs as the program under test does.
add_subdirectory(tools/driver)
add_subdirectory(tools/check)
add_subdirectory(tests/fixtures)
add_subdirectory(bench)

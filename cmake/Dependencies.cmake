# Every dependency is a Debian package; nothing is downloaded.
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(glfw3 3.3 REQUIRED)
find_package(GLEW REQUIRED)
find_package(glm REQUIRED)
find_package(assimp REQUIRED)
find_package(Freetype REQUIRED)
find_package(Bullet REQUIRED)
find_package(OpenAL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)

# Bullet through CMake's find module: its own config names a library Debian does not ship.
add_library(glimmer_bullet INTERFACE)
target_include_directories(glimmer_bullet SYSTEM INTERFACE ${BULLET_INCLUDE_DIRS})
target_link_libraries(glimmer_bullet INTERFACE ${BULLET_LIBRARIES})

# stb is header-only; the implementation lives in one of our .cpp files.
add_library(glimmer_stb INTERFACE)
target_include_directories(glimmer_stb SYSTEM INTERFACE ${STB_INCLUDE_DIR})

# Offscreen OpenGL context: EGL on Mesa's surfaceless platform, rendering into
# a framebuffer object. Used by the capture mode and by every picture test.
#
# Linking: OpenGL::GL is libglvnd's libOpenGL (+ libGLX); GLU links libGL.
# All of them dispatch through libGLdispatch, which follows whatever context
# is current, EGL contexts included, so fixed-function GL and GLU calls made
# through any of those libraries reach the EGL context made here.
add_library(glowmotion_offscreen STATIC ${CMAKE_CURRENT_LIST_DIR}/OffscreenGL.cpp)
target_include_directories(glowmotion_offscreen PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(glowmotion_offscreen PUBLIC OpenGL::EGL OpenGL::GL)
glowmotion_warnings(glowmotion_offscreen)

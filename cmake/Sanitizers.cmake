# LW_SANITIZE=address (AddressSanitizer with LeakSanitizer and UBSan) or thread
# (ThreadSanitizer) instruments every target; empty builds without.
set(LW_SANITIZE "" CACHE STRING "Sanitizer to build with: address, thread or empty")
set_property(CACHE LW_SANITIZE PROPERTY STRINGS "" address thread)

if(LW_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(LW_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT LW_SANITIZE STREQUAL "")
  message(FATAL_ERROR "LW_SANITIZE must be address, thread or empty, not '${LW_SANITIZE}'")
endif()

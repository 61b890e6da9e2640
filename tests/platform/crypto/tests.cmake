# The crypto provider layer and the file access it comes with. The form A
# vectors are shared with tests/crypto, which holds their generator.
find_package(OpenSSL 3.0 REQUIRED)
tamberlox_add_test(test_platform_crypto
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_crypto_provider.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_simple_blob.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_file_access.cpp
  LIBS platform OpenSSL::Crypto)
target_include_directories(test_platform_crypto PRIVATE ${CMAKE_SOURCE_DIR}/tests/crypto)

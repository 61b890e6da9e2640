# The crypto provider layer: the CryptoAPI subset of the file encryption,
# played over OpenSSL 3 (its legacy provider gives RC4).
find_package(OpenSSL 3.0 REQUIRED)
target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CryptoProvider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileAccess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeyContainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpenSslCryptoProvider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimpleBlob.cpp)
target_link_libraries(platform PRIVATE OpenSSL::Crypto)

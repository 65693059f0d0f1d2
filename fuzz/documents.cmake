# The document reader again, instrumented for coverage and sanitizers, and its fuzz target.
file(GLOB ciap_fuzz_documents_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/server/documents/*.cpp)
add_library(ciap_documents_fuzz STATIC ${ciap_fuzz_documents_sources})
ciap_target_defaults(ciap_documents_fuzz)
target_include_directories(ciap_documents_fuzz PUBLIC ${PROJECT_SOURCE_DIR}/server/documents)
target_link_libraries(ciap_documents_fuzz PUBLIC Qt6::Core)
target_compile_options(ciap_documents_fuzz PRIVATE ${ciap_fuzz_flags})
set_target_properties(ciap_documents_fuzz PROPERTIES AUTOMOC OFF)

add_executable(fuzz_document_reader fuzz_document_reader.cpp)
ciap_target_defaults(fuzz_document_reader)
set_target_properties(fuzz_document_reader PROPERTIES AUTOMOC OFF)
target_compile_options(fuzz_document_reader PRIVATE ${ciap_fuzz_flags})
target_link_options(fuzz_document_reader PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(fuzz_document_reader PRIVATE ciap_documents_fuzz)
add_dependencies(ciap_fuzz fuzz_document_reader)

# Run by CPack once the files are staged, before they are packed: every staged file and folder
# gets the commit's time. RPM only lowers times newer than SOURCE_DATE_EPOCH, so a source file
# older than the commit (from a tarball that kept its times, say) would otherwise give another
# package from the same commit.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d
                          @$ENV{SOURCE_DATE_EPOCH} {} + RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not set the staged files' times to SOURCE_DATE_EPOCH")
  endif()
endif()

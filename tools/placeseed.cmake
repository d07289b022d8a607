# Puts the seed database in the program's Data folder as the upgrade template,
# unless the user's own database is already there: a build never touches it.
if(EXISTS "${DATA_DIR}/MeboData.mdb")
  return()
endif()
file(MAKE_DIRECTORY "${DATA_DIR}")
file(COPY_FILE "${SEED}" "${DATA_DIR}/MeboUpgd.mdb" ONLY_IF_DIFFERENT)

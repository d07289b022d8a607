# Puts the seed database in the program's Data folder, where the program
# copies a new user's log from, unless a log is already kept there (a build
# tree of an earlier version, which the program goes on using): a build never
# touches it.
if(EXISTS "${DATA_DIR}/MeboData.mdb")
  return()
endif()
file(MAKE_DIRECTORY "${DATA_DIR}")
file(COPY_FILE "${SEED}" "${DATA_DIR}/MeboUpgd.mdb" ONLY_IF_DIFFERENT)

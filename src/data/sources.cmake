target_sources(zelk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Amount.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FiscalCalendar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JetTranslator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Passphrases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RowSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SavingCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Schema.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Snapshots.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UserPorts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modDBUtil.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modDBUtil_reports.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modDBUtil_custom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modDBUtil_periods.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modErrors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modUtils.cpp
)

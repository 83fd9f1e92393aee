target_sources(zelk_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QtUserInterface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmCheckBooks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmPassphrase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmRestoreSnapshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmToolWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_windows.cpp
)

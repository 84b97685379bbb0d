// The Zelmora executable: the one application object and the framework's entry.
#include "app/zelmora_app.h"
#include "platform/afx/afx_main.h"

CZelmoraApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }

// tonquill: the window program.

#include "app/TonquillApp.h"

int main(int argc, char** argv) {
    return tonquill::CTonquillApp::Run(argc, argv);
}

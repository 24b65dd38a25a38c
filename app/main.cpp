#include "app/CTessaroApp.h"

int main(int argc, char* argv[]) {
    CTessaroApp app(argc, argv);
    app.InitInstance();
    return app.exec();
}

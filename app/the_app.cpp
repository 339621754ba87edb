#include "app/the_app.h"

TheApp theApp;

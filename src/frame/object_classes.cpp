// Start-up of the object classes: the frame knows every class; the model knows none of them.
#include "frame/object_classes.h"

#include "lines/array_class.h"
#include "lines/connector_class.h"
#include "lines/line_class.h"
#include "model/class_protocol.h"
#include "shapes/shape_class.h"
#include "text/object_text.h"

int InstallObjectClasses()
{
    RegisterClassHandler(ClassShape, SED_ShapeHandler);
    RegisterClassHandler(ClassLine, SED_LineDHandler);
    RegisterClassHandler(ClassConnector, SED_SegLHandler);
    RegisterClassHandler(ClassArray, SED_ArrayHandler);
    RegisterTextBackgroundProc(SED_TENProc);
    return InstallClassHandlers();
}

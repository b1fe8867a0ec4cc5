// Placeholder so the library has a source until the Qt platform lands.
namespace tracevu_qt_placeholder {
int unused = 0;
}

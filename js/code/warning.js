// The warning box over a page. It is made in the engine's own context rather than in its
// caller's: a dialog that asks for a warning and closes at once (the data logger's) takes
// its context with it, and a warning made there would be left dead, its OK key unable to
// close it.
.pragma library
.import QtQml 2.15 as QtQml

// Null when the box cannot be made.
function create(text, parent) {
    var component = Qt.createComponent("qrc:///qml/code/DialogWarning.qml");
    if (component.status !== QtQml.Component.Ready) {
        console.log("DialogWarning: " + component.errorString());
        return null;
    }
    return component.createObject(parent, { text: text });
}

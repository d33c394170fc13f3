#pragma once
// The consignment note register opened from the report menu over a real
// station: the window driven through the scripted dialogs, and the station's
// own view of its notes through SQL run by the station itself.
#include "common/DataPacket.h"
#include "common/WireClient.h"
#include "plugin/consignment/list/TTNListForm.h"
#include "plugin/data/ClientDataSet.h"
#include "tests/support/MenuStationFixture.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace velta::core {
class TDBFrm;
}

namespace velta::consignment {

class NoteListTest : public test::MenuStationTest {
protected:
    void TearDown() override;

    static core::TDBFrm& db();
    static TClientDataSet& list();

    template <class T>
    static T& control(QWidget& window, const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }
    static void press(QWidget& window, const char* button);

    // Opens the register from the menu and lets the user work it; a window the
    // user leaves open is closed with its button afterwards.
    void withList(const std::function<void(TTTNListForm&)>& user);

    // The station serving the plug-in now.
    const test::StationServer& server() const { return serving ? *serving : *station_; }
    // SQL run by the station itself.
    DataPacket query(const QString& sql);
    void execute(const QString& sql);
    int count(const QString& sql) { return query(sql).value(0, 0).toInt(); }

    // A station of the test's own (a demo of 20 sales) with the statements run
    // on it, served from now on.
    void serveOwnStation(const QStringList& statements);

    // The grid's titles in the order shown.
    static QStringList shownTitles(TTTNListForm& form);
    // The TTN_ID of every listed note, in list order (the cursor ends on the first).
    static QList<int> listedNotes();
    static void goToNote(int ttnId);

    void expectError(const QString& text);

private:
    std::unique_ptr<WireClient> sql_;
    std::unique_ptr<test::StationServer> own_;
};

} // namespace velta::consignment

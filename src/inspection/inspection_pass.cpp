#include "inspection/inspection_pass.h"

#include <algorithm>

#include "base/failure.h"
#include "base/text.h"
#include "inspection/box_text.h"
#include "inspection/version_label.h"

namespace kestrel {
namespace {

// Writes the pass's boxes and remembers how far it got, so that a failure can empty the rest:
// no box may keep an earlier server's data beside the new server's name.
class PassWriter {
public:
    explicit PassWriter(WindowServices& services) : m_services(services) {}

    // A Null value (some servers report no size or path) is written as an empty box.
    void Write(TextBox box, const std::optional<std::u16string>& value, bool trim) {
        WriteText(box, BoxText(value, trim));
    }

    void WriteText(TextBox box, const std::u16string& text) {
        m_services.SetText(box, text);
        m_written = std::max(m_written, Position(box) + 1);
    }

    void EmptyTheRest() {
        for (std::size_t i = m_written; i < kPassBoxes.size(); ++i) {
            m_services.SetText(kPassBoxes[i], u"");
        }
    }

private:
    static std::size_t Position(TextBox box) {
        return std::size_t(std::ranges::find(kPassBoxes, box) - kPassBoxes.begin());
    }

    WindowServices& m_services;
    std::size_t m_written = 0;
};

Failure NoFileList() {
    return {
        3704,
        u"O servidor não informou os arquivos do banco de dados (não há um segundo resultado)."};
}

}  // namespace

std::u16string DatabaseCommand(std::u16string_view databaseName) {
    std::u16string command = u"sp_helpdb ";
    if (!databaseName.empty()) {
        command += u'N' + Quoted(databaseName, u'\'');
    }
    return command;
}

PassOutcome RunInspectionPass(WindowServices& services, Connection& cnBanco,
                              std::optional<std::u16string_view> storedDatabase) {
    services.SetTimerEnabled(false);
    PassWriter writer(services);
    PassOutcome outcome;
    try {
        Recordset query;
        query.Open(kServerPropertyQuery, cnBanco);
        writer.Write(TextBox::txtVersao, query.Field(0), false);
        // The label goes after the value's bound, so that a long version cannot push it out.
        const std::u16string version = services.Text(TextBox::txtVersao);
        outcome.productVersion = version;
        writer.WriteText(TextBox::txtVersao, version + VersionLabel(version));
        writer.Write(TextBox::txtNivel, query.Field(1), false);
        writer.Write(TextBox::txtEdicao, query.Field(2), false);
        query.Close();

        const std::u16string database =
            storedDatabase ? std::u16string(*storedDatabase) : cnBanco.CurrentDatabase();
        query.Open(DatabaseCommand(database), cnBanco);
        writer.Write(TextBox::txtBancoDados, query.Field(0), true);
        writer.Write(TextBox::txtTamanhoBancoDados, query.Field(1), true);
        if (!query.NextRecordset()) {
            throw NoFileList();
        }
        writer.Write(TextBox::txtLocalBD, query.Field(2), true);
        services.SetMousePointer(MousePointer::Default);
        outcome.filled = true;
        return outcome;
    } catch (const Failure& failure) {
        writer.EmptyTheRest();
        services.SetMousePointer(MousePointer::Default);
        services.ShowMessage(u"Erro: " + failure.description, MessageIcon::None);
        return outcome;
    }
}

}  // namespace kestrel

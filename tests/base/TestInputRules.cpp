#include "base/InputRules.h"

#include <QTest>

#include <map>

using namespace InputRules;

namespace {

const std::map<QString, Rule>& rules()
{
    static const std::map<QString, Rule> named = {
        {"text", kText},
        {"station weight", kStationWeightKg},
        {"goods weight", kGoodsWeightKg},
        {"postage", kPostageYuan},
        {"count", kSampleCount},
        {"range", kScaleRangeKg},
        {"rate", kBaudRate},
        {"grams", kBracketGrams},
        {"yuan", kBracketYuan},
    };
    return named;
}

// Key presses as the keyboard sends them.
struct Press
{
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool paste = false;
};

Press typed(char c)
{
    return {c >= 'a' && c <= 'z' ? Qt::Key_A + (c - 'a') : int(c), Qt::NoModifier, QString(QLatin1Char(c))};
}

const Press Tab{Qt::Key_Tab, Qt::NoModifier, "\t"};
const Press Backtab{Qt::Key_Backtab, Qt::ShiftModifier, ""};
const Press Enter{Qt::Key_Return, Qt::NoModifier, "\r"};
const Press Escape{Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1b))};
const Press Backspace{Qt::Key_Backspace, Qt::NoModifier, "\b"};
const Press Delete{Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f))};
const Press Left{Qt::Key_Left, Qt::NoModifier, ""};
const Press Paste{Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)), true};
const Press Copy{Qt::Key_C, Qt::ControlModifier, "c"};
const Press KeypadFive{Qt::Key_5, Qt::KeypadModifier, "5"};

} // namespace

Q_DECLARE_METATYPE(Press)

class TestInputRules : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<Press>("press");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("passes");

        QTest::newRow("weight digit") << "station weight" << typed('5') << "1.2" << 0 << true;
        QTest::newRow("weight keypad digit") << "goods weight" << KeypadFive << "" << 0 << true;
        QTest::newRow("weight second point") << "goods weight" << typed('.') << "1.2" << 0 << false;
        QTest::newRow("weight point over a selected point")
            << "station weight" << typed('.') << "1.2" << 3 << false;
        QTest::newRow("weight letter") << "station weight" << typed('a') << "" << 0 << false;
        QTest::newRow("weight full") << "goods weight" << typed('1') << "12.345" << 0 << false;
        QTest::newRow("weight full, one selected") << "goods weight" << typed('1') << "12.345" << 1 << true;
        QTest::newRow("weight full, backspace") << "station weight" << Backspace << "12.345" << 0 << true;
        QTest::newRow("weight Tab") << "goods weight" << Tab << "" << 0 << true;
        QTest::newRow("weight Backtab") << "goods weight" << Backtab << "" << 0 << true;
        QTest::newRow("weight Delete") << "station weight" << Delete << "1" << 0 << true;
        QTest::newRow("weight arrow") << "goods weight" << Left << "1" << 0 << true;
        QTest::newRow("weight Enter stays") << "station weight" << Enter << "" << 0 << false;
        QTest::newRow("weight Escape stays") << "goods weight" << Escape << "" << 0 << false;
        QTest::newRow("station weight paste") << "station weight" << Paste << "" << 0 << true;
        QTest::newRow("goods weight paste") << "goods weight" << Paste << "" << 0 << false;
        QTest::newRow("goods weight copy") << "goods weight" << Copy << "" << 0 << false;
        QTest::newRow("postage sixth character") << "postage" << typed('1') << "12.34" << 0 << false;
        QTest::newRow("postage Enter stays") << "postage" << Enter << "" << 0 << false;
        QTest::newRow("count point") << "count" << typed('.') << "" << 0 << false;
        QTest::newRow("count Tab") << "count" << Tab << "3" << 0 << true;
        QTest::newRow("count Enter stays") << "count" << Enter << "3" << 0 << false;
        QTest::newRow("range point") << "range" << typed('.') << "30" << 0 << true;
        QTest::newRow("range fifth character") << "range" << typed('0') << "30.5" << 0 << false;
        QTest::newRow("range paste") << "range" << Paste << "" << 0 << false;
        QTest::newRow("range copy") << "range" << Copy << "30" << 0 << true;
        QTest::newRow("range Enter reaches OK") << "range" << Enter << "30" << 0 << true;
        QTest::newRow("range Escape cancels") << "range" << Escape << "30" << 0 << true;
        QTest::newRow("rate point") << "rate" << typed('.') << "96" << 0 << false;
        QTest::newRow("grams point") << "grams" << typed('.') << "5" << 0 << false;
        QTest::newRow("grams paste") << "grams" << Paste << "" << 0 << true;
        QTest::newRow("yuan first point") << "yuan" << typed('.') << "5" << 0 << true;
        QTest::newRow("yuan long") << "yuan" << typed('9') << "12345678" << 0 << true;
        QTest::newRow("text letter") << "text" << typed('z') << "ZT9" << 0 << true;
        QTest::newRow("text Enter") << "text" << Enter << "" << 0 << true;
    }

    void keys()
    {
        QFETCH(QString, rule);
        QFETCH(Press, press);
        QFETCH(QString, text);
        QFETCH(int, selected);
        QFETCH(bool, passes);
        const Key key = keyOf(press.key, press.modifiers, press.text, press.paste);
        QCOMPARE(InputRules::passes(rules().at(rule), key, text, selected), passes);
    }

    void typing()
    {
        // What clears the typed-weight Enter mark.
        for (const Press& press : {typed('1'), Backspace, Escape, Paste, Copy}) {
            QVERIFY2(isTyping(keyOf(press.key, press.modifiers, press.text, press.paste)),
                     qPrintable(press.text));
        }
        for (const Press& press : {Enter, Tab, Backtab, Left, Delete}) {
            QVERIFY(!isTyping(keyOf(press.key, press.modifiers, press.text, press.paste)));
        }
    }

    void wholeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("decimal");
        QTest::addColumn<bool>("digits");
        QTest::addColumn<bool>("illegalStart");
        QTest::addColumn<bool>("legalRange");
        QTest::addColumn<bool>("legalRate");

        QTest::newRow("empty") << "" << true << true << false << false << false;
        QTest::newRow("30") << "30" << true << true << false << true << true;
        QTest::newRow("30.") << "30." << true << false << false << true << false;
        QTest::newRow("0.5") << "0.5" << true << false << false << true << false;
        QTest::newRow(".5") << ".5" << true << false << true << false << false;
        QTest::newRow("005") << "005" << true << true << true << true << true;
        QTest::newRow("0") << "0" << true << true << false << false << false;
        QTest::newRow("1.2.3") << "1.2.3" << false << false << false << false << false;
        QTest::newRow("prompt text") << "请输入VarnikD量程!" << false << false << false << false << false;
    }

    void wholeTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, decimal);
        QFETCH(bool, digits);
        QFETCH(bool, illegalStart);
        QFETCH(bool, legalRange);
        QFETCH(bool, legalRate);
        QCOMPARE(keepsToCharacters(kBracketYuan, text), decimal);
        QCOMPARE(keepsToCharacters(kBracketGrams, text), digits);
        QCOMPARE(startsIllegally(text), illegalStart);
        QCOMPARE(isLegalRange(text), legalRange);
        QCOMPARE(isLegalBaudRate(text), legalRate);
    }
};

QTEST_GUILESS_MAIN(TestInputRules)
#include "TestInputRules.moc"

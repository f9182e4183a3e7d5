#include "gallery_items_text_editor.h"

#include <filesystem>

#include "editors/order_highlighter.h"
#include "editors/text_editor.h"
#include "support/test_paths.h"

using namespace tovix;

namespace {

constexpr char kOrders[] =
    "#GALAXY Orion Betelgeusians P1453207705 5\r\n"
    "p BetelgeusiPrime Dreadnought\r\n"
    "p BetelgeusiForge CAP\r\n"
    "d Dreadnought1 16.00 3 4.00 6.00 0\r\n"
    "s 3 56 1 ; to the front\r\n"
    "@ Cygnians\r\n"
    "Your scouts are noted. Keep your distance.\r\n"
    "@\r\n"
    "#END\r\n";

}  // namespace

void AddTextEditorGalleryItems(QWidget* parent, QLayout* layout) {
  auto* edit = new TTextEditor(parent);
  // The highlighter lives as long as the editor.
  ZazArerevOdo* highlighter = MakeOrdersWindowHighlighter().release();
  QObject::connect(edit, &QObject::destroyed, [highlighter] { delete highlighter; });
  edit->SetHighLighter(highlighter);
  edit->Gutter().SetShowLineNumbers(true);
  edit->Gutter().SetLeftOffset(14);
  const std::filesystem::path reports = test::ReportsDir("orion");
  const std::filesystem::path file = reports / "orders" / "B005.txt";
  if (!reports.empty() && std::filesystem::exists(file))
    edit->Lines().LoadFromFile(file, TTextEncoding::Windows1252);
  else
    edit->Lines().LoadFromBytes(kOrders, TTextEncoding::Windows1252);
  edit->SetRightEdge(60);
  edit->SetBookMark(1, 1, 2);
  edit->SetBookMark(2, 1, 5);
  // The selection is set without moving the caret, which would scroll the editor while it is
  // still small before the layout sizes it.
  edit->SetBlockBegin({3, 14});
  edit->SetBlockEnd({12, 15});
  edit->setFixedHeight(edit->LineHeight() * 19 + 24);
  layout->addWidget(edit);
}

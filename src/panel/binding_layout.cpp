// The 225 bindings of the main panel in slot order: command, control ID,
// widget, panel group, area, range, start value and list items.
#include "panel/binding_layout.h"

#include <initializer_list>

namespace kestrel {

namespace {

using Items = std::vector<std::string>;

struct Builder {
  std::vector<BindingDef> out;

  void Add(std::string command, uint32_t id, WidgetKind kind, const char* group, bool factory,
           int32_t minimum = 0, int32_t maximum = 255, int32_t start = 0, Items items = {},
           int lensIndex = 0, WidgetHost host = WidgetHost::Panel) {
    out.push_back(BindingDef{std::move(command), lensIndex, id, kind, host, group, factory, minimum,
                             maximum, start, std::move(items)});
  }
  void Lists(std::initializer_list<std::pair<const char*, uint32_t>> rows, const char* group,
             bool factory, const Items& items) {
    for (const auto& [name, id] : rows)
      Add(name, id, WidgetKind::List, group, factory, 0, 255, 0, items);
  }
  void Edits(std::initializer_list<std::pair<const char*, uint32_t>> rows, const char* group,
             bool factory, int32_t minimum, int32_t maximum, int32_t start = 0,
             WidgetHost host = WidgetHost::Panel) {
    for (const auto& [name, id] : rows)
      Add(name, id, WidgetKind::SpinEdit, group, factory, minimum, maximum, start, {}, 0, host);
  }
  // NAMEfirst..NAMElast with IDs stepping by 2 from firstId.
  void EditRun(const std::string& prefix, int first, int last, const std::string& suffix,
               uint32_t firstId, const char* group, bool factory, int32_t minimum, int32_t maximum,
               WidgetHost host = WidgetHost::Panel) {
    for (int n = first; n <= last; ++n)
      Add(prefix + std::to_string(n) + suffix, firstId + 2u * static_cast<uint32_t>(n - first),
          WidgetKind::SpinEdit, group, factory, minimum, maximum, 0, {}, 0, host);
  }
  // The three lens columns of one indexed command.
  void Lens(const char* name, std::initializer_list<uint32_t> ids, int32_t minimum, int32_t maximum,
            int32_t start) {
    int lens = 0;
    for (uint32_t id : ids)
      Add(name, id, WidgetKind::SpinEdit, "Aberration", false, minimum, maximum, start, {}, lens++);
  }
};

std::vector<BindingDef> Build() {
  constexpr bool U = false, F = true;
  constexpr auto kDac = WidgetHost::DacDialog;
  constexpr auto kAfeDlg = WidgetHost::AfeDialog;
  const Items offOn = {"Off", "On"};
  Builder b;
  b.Lists({{"TGSM", 2433}}, "TG Mode", U, {"Sync", "ASync"});
  b.Lists({{"TR", 3032}, {"TR2", 1012}}, "Trigger", U, {"No-shutter", "Shutter sel", "PWC"});
  b.Lists({{"TG", 3075}, {"TG2", 2429}}, "Trigger", U, {"Internal", "External"});
  b.Lists({{"TI", 3096}, {"TI2", 2430}}, "Trigger", U, {"Camera Link", "Hirose12pin"});
  b.Lists({{"TP", 3121}, {"TP2", 2431}}, "Trigger", U, {"Active Low", "Active High"});
  b.Edits({{"LR", 3436}, {"LR2", 2434}}, "Line Rate, Exposure", U, 170, 13340, 170);
  b.Edits({{"AL", 3473}, {"AL2", 2437}}, "Line Rate, Exposure", U, 0, 1023);
  b.Edits({{"PE", 3453}, {"PE2", 2440}}, "Line Rate, Exposure", U, 136, 13306, 136);
  b.Lists({{"BA", 3056}}, "Image Format", U, {"8bits", "10bits", "12bits"});
  b.Lists({{"CLT", 3840}}, "Image Format", U, {"2Tap", "Dual Base"});
  b.Lists({{"TS", 3084}, {"TS2", 3114}}, "Image Format", U,
          {"Off", "Grayscale1", "Grayscale2", "White"});
  b.Lists({{"SCB", 3936}}, "CL Cable Setting", U, {"Short", "Middle", "Long"});
  b.Lists({{"TTO", 3939}}, "2TAP Out Port", F, {"1ch-2ch", "2ch-1ch"});
  b.Lists({{"GM", 2458}}, "Gain", U, {"Master", "Individual"});
  b.Edits({{"GA1T1", 3270}}, "Gain", U, 0, 308);
  b.Edits({{"GA2T1", 3307}}, "Gain", U, -84, 84);
  b.Edits({{"BL1S", 3030}, {"BL2S", 3037}}, "Black Setup", U, -256, 255);
  b.Add("MAV", 3647, WidgetKind::CheckBox, "Aberration", U);
  b.Lists({{"MAVCG", 2565}}, "Aberration", U, {"Lens1", "Lens2", "Lens3"});
  for (auto [name, id] : {std::pair{"CABN1", 2752u}, {"CABN2", 2761u}, {"CABN3", 2770u}})
    b.Add(name, id, WidgetKind::TextEdit, "Aberration", U);
  b.Lens("CABL2", {2753, 2762, 2771}, -3, 3, 0);
  b.Lens("CABA2", {2755, 2764, 2773}, 1, 8, 6);
  b.Lens("CABS2", {2757, 2766, 2775}, 1, 7, 4);
  b.Lens("CABT2", {2759, 2768, 2777}, 1, 6, 2);
  b.Lists({{"NR", 3964}, {"NR2", 3965}}, "Noise Reduction", U, offOn);
  for (auto [name, id] : {std::pair{"SDC", 2358u},
                          {"SDC2", 2464u},
                          {"PGC", 2357u},
                          {"PGC2", 2463u},
                          {"PBC", 2356u},
                          {"PBC2", 2462u}})
    b.Add(name, id, WidgetKind::Label, "Calibration", U);
  b.Lists({{"BLMC", 2566}, {"BLMC2", 2567}}, "Blemish", U, offOn);
  b.Edits({{"BLMT", 2695}, {"BLMT2", 2697}}, "Blemish", U, 1, 100, 10);
  b.Edits({{"BLMI", 2701}, {"BLMI2", 2703}}, "Blemish", U, 1, 8, 1);
  b.Edits({{"BLMP", 2705}, {"BLMP2", 2707}}, "Blemish", U, 0, 1024);
  b.Lists({{"LUTC1", 3940}, {"LUTC2", 3941}}, "LUT", U, {"Off", "Gamma", "LUT"});
  b.Edits({{"GMA1", 3956}, {"GMA2", 3958}}, "LUT", U, 0, 8, 8);
  b.Lists({{"BAS00", 3813}}, "Boot Area Set", F, {"Default Area", "Update Area"});
  b.Lists({{"SCFA", 2444},
           {"SCFA2", 2445},
           {"SCFB", 2446},
           {"SCFB2", 2447},
           {"SCFC", 2448},
           {"SCFC2", 2449}},
          "Sensor Out", U, {"0", "1"});
  b.Lists({{"SOE", 3034}, {"SOE2", 2451}}, "Sensor Out", F, {"Odd", "Even"});
  b.Lists({{"BYP", 3231}, {"BYP2", 3232}}, "IP", F, {"Normal", "Bypass"});
  b.Lists({{"USP", 2142}, {"USP2", 2167}}, "Black Setup (User)", F, offOn);
  b.Edits({{"BLMTF", 2713}, {"BLMTF2", 2715}}, "Blemish", F, 1, 100, 10);
  b.Edits({{"BLMIF", 2719}, {"BLMIF2", 2721}}, "Blemish", F, 1, 8, 1);
  b.Edits({{"BLMPF", 2723}, {"BLMPF2", 2725}}, "Blemish", F, 0, 1024);
  b.Edits({{"GA1T1F", 2598}}, "Gain (VGA Gain)", F, 0, 280);
  b.EditRun("GA1T", 2, 8, "F", 2600, "Gain (VGA Gain)", F, -84, 84);
  b.Edits({{"GA2T1F", 2614}}, "Gain (VGA Gain)", F, 0, 280);
  b.EditRun("GA2T", 2, 8, "F", 2616, "Gain (VGA Gain)", F, -84, 84);
  b.Edits({{"B1O0F", 2663},
           {"B1O1F", 2665},
           {"B1O2F", 2667},
           {"B1O3F", 2669},
           {"B1O4F", 2671},
           {"B1O5F", 2673},
           {"B1O6F", 2676},
           {"B1O7F", 2678}},
          "Black Offset (DAC)", F, 0, 4095, 0, kDac);
  b.EditRun("B1O", 8, 15, "F", 3817, "Black Offset (DAC)", F, 0, 4095, kDac);
  b.Edits({{"B2O0F", 2674}}, "Black Offset (DAC)", F, 0, 4095, 0, kDac);
  b.EditRun("B2O", 1, 7, "F", 2681, "Black Offset (DAC)", F, 0, 4095, kDac);
  b.EditRun("B2O", 8, 15, "F", 2781, "Black Offset (DAC)", F, 0, 4095, kDac);
  b.Edits({{"B1OT1F", 3841}}, "Black Offset (Clamp Level)", F, 0, 511);
  b.EditRun("B1OT", 2, 8, "F", 3843, "Black Offset (Clamp Level)", F, -128, 128);
  b.Edits({{"B2OT1F", 3857}}, "Black Offset (Clamp Level)", F, 0, 511);
  b.EditRun("B2OT", 2, 8, "F", 3859, "Black Offset (Clamp Level)", F, -128, 128);
  b.Edits({{"SCBF0", 3930}, {"SCBF1", 3932}, {"SCBF2", 3934}}, "CL Cable Setting", U, 0, 255);
  b.Edits({{"DNRL", 3960}, {"DNRL2", 3962}}, "Noise Reduction Level", F, 0, 255);
  b.Edits({{"CPSP1", 2470}, {"CPSP9", 2468}}, "AFE", F, 0, 1);
  b.Edits({{"ABG1", 2473}, {"ABG2", 2475}}, "Analog Base Gain", U, 0, 3);
  b.Edits({{"CT1R1", 2481},
           {"CT1R9", 2483},
           {"CT2R1", 2487},
           {"CT2R9", 2485},
           {"CTM01", 2489},
           {"CTM09", 2491},
           {"P0T11", 2493},
           {"P0T19", 2495},
           {"P0T21", 2497},
           {"P0T29", 2499},
           {"P1T11", 2501},
           {"P1T19", 2503},
           {"P1T21", 2505},
           {"P1T29", 2507}},
          "AFE", F, 0, 4095);
  for (const char* kind : {"SHDL", "SHPL"}) {
    const uint32_t base = kind[2] == 'D' ? 2509 : 2513;  // tap 1 and tap 9
    const uint32_t run = kind[2] == 'D' ? 3873 : 3901;   // taps 2..8, then 10..16
    b.Add(std::string(kind) + "1", base, WidgetKind::SpinEdit, "(tap 1 to 16)", F, 0, 63, 0, {}, 0,
          kAfeDlg);
    b.EditRun(kind, 2, 8, "", run, "(tap 1 to 16)", F, 0, 63, kAfeDlg);
    b.Add(std::string(kind) + "9", base + 2, WidgetKind::SpinEdit, "(tap 1 to 16)", F, 0, 63, 0, {},
          0, kAfeDlg);
    b.EditRun(kind, 10, 16, "", run + 14, "(tap 1 to 16)", F, 0, 63, kAfeDlg);
  }
  b.Edits({{"SHPW1", 2517},
           {"SHPW9", 2519},
           {"SHPE1", 2521},
           {"SHPE9", 2523},
           {"DPHP1", 2525},
           {"DPHP9", 2527},
           {"DPHN1", 2529},
           {"DPHN9", 2531}},
          "AFE", F, 0, 63);
  b.Edits({{"TCLD1", 2533}, {"TCLD9", 2535}}, "AFE", F, 0, 15);
  b.Edits({{"SYSL1", 2537}, {"SYSL9", 2539}}, "AFE", F, 0, 4095);
  b.Edits({{"LTEA1", 2541}, {"LTEA9", 2543}}, "AFE", F, 0, 1);
  b.Edits({{"LTPA1", 2549}, {"LTPA9", 2551}, {"LTPB1", 2553}, {"LTPB9", 2555}}, "AFE", F, 0, 15);
  b.Edits({{"LTEB1", 2545}, {"LTEB9", 2547}}, "AFE", F, 0, 1);
  b.Edits({{"LTPL1", 2557}, {"LTPL9", 2559}}, "AFE", F, 0, 4095);
  b.Edits({{"LTPH1", 2561}, {"LTPH9", 2563}}, "AFE", F, 0, 255);
  return std::move(b.out);
}

}  // namespace

const std::vector<BindingDef>& BindingLayout() {
  static const std::vector<BindingDef> layout = Build();
  return layout;
}

const char* UnitOf(const std::string& command) {
  // Line period and exposure count clocks of the sensor's pixel clock.
  if (command == "LR" || command == "LR2" || command == "PE" || command == "PE2")
    return "clocks of 0.149925 µs";
  return "";
}

}  // namespace kestrel

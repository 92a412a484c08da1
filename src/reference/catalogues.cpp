#include "reference/catalogues.h"

#include <iterator>

namespace orva {
namespace {

// Entries are kept exactly as the projector's command set is documented for
// operators, misspellings and trailing blanks included: the window shows them
// as they are and sends the text before the first "[". Tabs are written as
// \t so every separator stays visible.

// Coded commands: command, "[CR]", five blanks, description.
constexpr std::string_view kBasic[] = {
    // 0
    "C00[CR]     POWER ON",
    "C01[CR]     POWER OFF(Quick Power OFF)",
    "C02[CR]     POWER OFF",
    "C05[CR]     Computer 1",
    "C06[CR]     Computer 2",
    "C07[CR]     Video",
    "C09[CR]     VOLUME +",
    "C0A[CR]     VOLUME -",
    "C0B[CR]     AUDIO MUTE ON",
    "C0C[CR]     AUDIO MUTE OFF",
    // 10
    "C0D[CR]     VIDEO MUTE ON",
    "C0E[CR]     VIDEO MUTE OFF",
    "C0F[CR]     Screen Normal size(4:3)",
    "C10[CR]     Screen Wide size(16:9)",
    "C11[CR]     Image Standard",
    "C12[CR]     Image Real",
    "C13[CR]     Image Cinema",
    "C14[CR]     Image 1",
    "C15[CR]     Image 2",
    "C16[CR]     Image 3",
    // 20
    "C17[CR]     Image 4",
    "C18[CR]     Blackboard",
    "C19[CR]     Dynamic",
    "C1C[CR]     MENU ON",
    "C1D[CR]     MENU OFF",
    "C1E[CR]     DISPLAY CLEAR",
    "C20[CR]     BRIGHTNESS +",
    "C21[CR]     BRIGHTNESS -",
    "C27[CR]     IMAGE(Toggle)",
    "C28[CR]     Direct on Enable",
    // 30
    "C29[CR]     Direct on Disable",
    "C2A[CR]     Power Management Ready",
    "C2B[CR]     Power Management OFF",
    "C2E[CR]     Power Management Shut down",
    "C30[CR]     D.Zoom +",
    "C31[CR]     D.Zoom -",
    "C34[CR]     Computer1 S-video",
    "C39[CR]     Image Colorboard",
    "C3A[CR]     POINTER RIGHT",
    "C3B[CR]     POINTER LEFT",
    // 40
    "C3C[CR]     POINTER UP",
    "C3D[CR]     POINTER DOWN",
    "C3F[CR]     ENTER",
    "C43[CR]     FREEZE ON",
    "C44[CR]     FREEZE OFF",
    "C50[CR]     Computer 1 Analog RGB",
    "C51[CR]     Computer 1 Scart",
    "C54[CR]     Computer 1 Component",
    "C89[CR]     Auto PC ADJ.",
    "C8A[CR]     PRESENTATION TIMER",
    // 50
    "C8B[CR]     PRESENTATION TIMER(Exit)",
    "C8E[CR]     KEYSTONE UP",
    "C8F[CR]     KEYSTONE DOWN",
    "CR0[CR]     Status Read",
    "CR1[CR]     Input Mode Read",
    "CR3[CR]     (Corresponding)Lamp Time Read",
    "CR4[CR]     Setting Read",
    "CR6[CR]     Temp Read",
    "CR7[CR]     Lamp Mode Read",
};
static_assert(std::size(kBasic) == 59);

// Word commands that set a value or trigger an action. The first entry of a
// group carries the description, after one of the separators "  \t\t",
// "  \t", " \t\t", " \t", "\t\t", "  " or " " and a colon; the rest of the
// group ends at the marker.
constexpr std::string_view kExpandedSet[] = {
    // 0
    "CF BRIGHT UP[CR]  \t\t:Set Brightness value",
    "CF BRIGHT DN[CR]",

    // 2
    "CF BRIGHT 0%%[CR]  \t\t:% = 0-9",

    // 3
    "CF CONT UP[CR]  \t\t:Set Contrast value",
    "CF CONT DN[CR]",

    // 5
    "CF CONT 0%%[CR]  \t\t:% = 0-9",

    // 6
    "CF COLOR UP[CR]  \t\t:Set Color value",
    "CF COLOR DN[CR]",

    // 8
    "CF COLOR 0%%[CR]  \t\t:% = 0-9",

    // 9
    "CF TINT UP[CR]  \t\t:Set Tint value",
    "CF TINT DN[CR]",

    // 11
    "CF TINT 0%%[CR]  \t\t:% = 0-9",

    // 12
    "CF IRIS ON[CR]  \t\t:Set ON/OFF Iris function",
    "CF IRIS OFF[CR]",

    // 14
    "CF SHARP UP[CR]  \t\t:Set Sharpness value",
    "CF SHARP DN[CR]",

    // 16
    "CF SHARP 0%%[CR]  \t\t:% = 0-9",

    // 17
    "CF GAMMA UP[CR]  \t\t:Set Gamma value",
    "CF GAMMA DN[CR]",

    // 19
    "CF GAMMA 0%%[CR]  \t\t:% = 0-9",

    // 20
    "CF WBAL-R UP[CR]  \t\t:Set White Balance Red value",
    "CF WBAL-R DN[CR]",

    // 22
    "CF WBAL-R 0%%[CR]  \t\t:% = 0-9",

    // 23
    "CF WBAL-G UP[CR]  \t\t:Set White Balance Green value",
    "CF WBAL-G DN[CR]",

    // 25
    "CF WBAL-G 0%%[CR]  \t\t:% = 0-9",

    // 26
    "CF WBAL-B UP[CR]  \t\t:Set White Balance Blue value",
    "CF WBAL-B DN[CR]",

    // 28
    "CF WBAL-B 0%%[CR]  \t\t:% = 0-9",

    // 29
    "CF COLTEMP 000[CR]  \t\t:Set Color Temp. value",
    "CF COLTEMP 001[CR]",
    "CF COLTEMP 002[CR]",
    "CF COLTEMP 003[CR]",

    // 33
    "CF PROGV FILM[CR]  \t\t:Set/Cancel Progressive Scan",
    "CF PROGV L1[CR]",
    "CF PROGV L2[CR]",
    "CF PROGV OFF[CR]",
    "CF PROGV UP[CR]",
    "CF PROGV DN[CR]",

    // 39
    "CF NZRED OFF[CR]  \t\t:Set/Cancel Noise reduction",
    "CF NZRED L1[CR]",
    "CF NZRED L2[CR]",
    "CF NZRED UP[CR]",
    "CF NZRED DN[CR]",

    // 44
    "CF IMAGE DYNAMIC[CR]  \t\t:Set Image mode",
    "CF IMAGE STAND[CR]",
    "CF IMAGE REAL[CR]",
    "CF IMAGE CINEMA[CR]",
    "CF IMAGE BLACKBOARD[CR]",
    "CF IMAGE COLORBOARD[CR]",
    "CF IMAGE CUSTOM1[CR]",
    "CF IMAGE CUSTOM2[CR]",
    "CF IMAGE CUSTOM3[CR]",
    "CF IMAGE CUSTOM4[CR]",

    // 54
    "CF COLBOARD RED[CR]  \t\t:Set Colorboard mode",
    "CF COLBOARD BLUEE[CR]",
    "CF COLBOARD YELLOW[CR]",
    "CF COLBOARD GREEN[CR]",

    // 58
    "CF IMAGEADJ RST[CR]  \t\t:Reset/Store for image adjustment",
    "CF IMAGEADJ STR1[CR]",
    "CF IMAGEADJ STR2[CR]",
    "CF IMAGEADJ STR3[CR]",
    "CF IMAGEADJ STR4[CR]",

    // 63
    "CF FSYNC UP[CR]  \t\t:Set Fine Sync value",
    "CF FSYNC DN[CR]",

    // 65
    "CF FSYNC 00%%[CR]  \t\t:% = 0-9",

    // 66
    "CF TDOTS UP[CR]  \t\t:Set Total Dots value",
    "CF TDOTS DN[CR]",

    // 68
    "CF TDOTS %%%%[CR]  \t\t:% = 0-9",

    // 69
    "CF CLAMP UP[CR]  \t\t:Set Clamp Value",
    "CF CLAMP DN[CR]",

    // 71
    "CF CLAMP %%%%[CR]  \t\t:% = 0-9",

    // 72
    "CF H-POS UP[CR]  \t\t:Set Horizonetal Position value",
    "CF H-POS DN[CR]",

    // 74
    "CF H-POS %%%%[CR]  \t\t:% = 0-9",

    // 75
    "CF V-POS UP[CR]  \t\t:Set Vertical Position value",
    "CF V-POS DN[CR]",

    // 77
    "CF V-POS %%%%[CR]  \t\t:% = 0-9",

    // 78
    "CF DDOTS UP[CR]  \t\t:Set Display Dots value",
    "CF DDOTS DN[CR]",

    // 80
    "CF DDOTS %%%%[CR]  \t\t:% = 0-9",

    // 81
    "CF DLINE UP[CR]  \t\t:Set Display Line value",
    "CF DLINE DN[CR]",

    // 83
    "CF DLINE %%%%[CR]  \t\t:% = 0-9",

    // 84
    "CF PCSTORE MODE1[CR]  \t\t:Store current values of PC Adjust at Mode 1-5",
    "CF PCSTORE MODE2[CR]",
    "CF PCSTORE MODE3[CR]",
    "CF PCSTORE MODE4[CR]",
    "CF PCSTORE MODE5[CR]",
    "CF PCSTORE MODE6[CR]",
    "CF PCSTORE MODE7[CR]",
    "CF PCSTORE MODE8[CR]",
    "CF PCSTORE MODE9[CR]",
    "CF PCSTORE MODE10[CR]",

    // 94
    "CF PCMODEFREE MODE1[CR]  \t:Relese registered values of Mode 1-5",
    "CF PCMODEFREE MODE2[CR]",
    "CF PCMODEFREE MODE3[CR]",
    "CF PCMODEFREE MODE4[CR]",
    "CF PCMODEFREE MODE5[CR]",
    "CF PCMODEFREE MODE6[CR]",
    "CF PCMODEFREE MODE7[CR]",
    "CF PCMODEFREE MODE8[CR]",
    "CF PCMODEFREE MODE9[CR]",
    "CF PCMODEFREE MODE10[CR]",

    // 104
    "CF INPUT COMPUTER1[CR]  :Select Input",
    "CF INPUT COMPUTER2[CR]",
    "CF INPUT VIDEO[CR]",
    "CF INPUT UP[CR]",
    "CF INPUT DN[CR]",

    // 109
    "CF SOURCE ANALOG[CR]  \t:Select Input Source",
    "CF SOURCE YPBPR[CR]",
    "CF SOURCE S-VIDEO[CR]",
    "CF SOURCE SCART[CR]",
    "CF SOURCE VIDEO[CR]",
    "CF SOURCE UP[CR]",
    "CF SOURCE DN[CR]",

    // 116
    "CF INPUT1 ANALOG[CR]  \t:Select Input11 and also set input source to %1",
    "CF INPUT1 YPBPR[CR]",
    "CF INPUT1 S-VIDEO[CR]",
    "CF INPUT1 SCART[CR]",

    // 120
    "CF INPUT2 ANALOG[CR]  \t:Select Input12 and also set input source to %1",

    // 121
    "CF INPUT3 VIDEO[CR]  \t:Select Input13 and also set input source to %1",

    // 122
    "CF INPUT COMPUTER1 ANALOG[CR]  \t:Select Input and Source",
    "CF INPUT COMPUTER1 YPBPR[CR]",
    "CF INPUT COMPUTER1 S-VIDEO[CR]",
    "CF INPUT COMPUTER1 SCART[CR]",
    "CF INPUT COMPUTER2 ANALOG[CR]",
    "CF INPUT VIDEO VIDEO[CR]",

    // 128
    "CF SYSTEM VGA1[CR]  \t\t:Select System",
    "CF SYSTEM XGA1[CR]",
    "CF SYSTEM WXGA3[CR]",
    "CF SYSTEM AUTO[CR]",
    "CF SYSTEM NTSC[CR]",
    "CF SYSTEM NTSC443[CR]",
    "CF SYSTEM PAL[CR]",
    "CF SYSTEM SECAM[CR]",
    "CF SYSTEM PAL-M[CR]",
    "CF SYSTEM PAL-N[CR]",
    "CF SYSTEM 1080I[CR]",
    "CF SYSTEM 1035I[CR]",
    "CF SYSTEM 720P[CR]",
    "CF SYSTEM 575P[CR]",
    "CF SYSTEM 480P[CR]",
    "CF SYSTEM 575I[CR]",
    "CF SYSTEM 480I[CR]",

    // 145
    "CF SCREEN NORMAL[CR]  \t\t:Select Screen size",
    "CF SCREEN FULL[CR]",
    "CF SCREEN WIDE[CR]",
    "CF SCREEN ZOOM[CR]",
    "CF SCREEN TRUE[CR]",
    "CF SCREEN CUSTOM[CR]",
    "CF SCREEN DZOOM UP[CR]",
    "CF SCREEN DZOOM DN[CR]",
    "CF SCREEN UP[CR]",
    "CF SCREEN DN[CR]",

    // 155
    "CF DZCENT CENT[CR]  \t\t:Cancel Digital Zoom mode",

    // 156
    "CF VSCALE UP[CR]  \t\t:Set value of Vertical scale",
    "CF VSCALE DN[CR]",

    // 158
    "CF VSCALE %%%[CR]  \t\t:% = 0-9",

    // 159
    "CF VPOS UP[CR]  \t\t:Set value of Vertical position",
    "CF VPOS DN[CR]",

    // 161
    "CF VPOS %%%[CR]  \t\t:% = 0-9",

    // 162
    "CF HSCALE UP[CR]  \t\t:Set value of Horizontal scale",
    "CF HSCALE DN[CR]",

    // 164
    "CF HSCALE %%%[CR]  \t\t:% = 0-9",

    // 165
    "CF HPOS UP[CR]  \t\t:Set value of Horizontal position",
    "CF HPOS DN[CR]",

    // 167
    "CF HPOS %%%[CR]  \t\t:% = 0-9",

    // 168
    "CF KEYSTONE UP[CR]  \t\t:Set Keystone",
    "CF KEYSTONE FUP[CR]",
    "CF KEYSTONE DN[CR]",
    "CF KEYSTONE FDN[CR]",
    "CF KEYSTONE RST[CR]",

    // 173
    "CF KYSTNMODE STR[CR]  \t\t:Set Keystone Store mode",
    "CF KYSTNMODE RST[CR]",

    // 175
    "CF CEIL ON[CR]  \t\t:Set Celling function",
    "CF CEIL OFF[CR]",

    // 177
    "CF REAR ON[CR]  \t\t:Set Rear function",
    "CF REAR OFF[CR]",

    // 179
    "CF LAMPH RST[CR]  \t\t:Reset Lamp use time",

    // 180
    "CF LAMPMODE NORMAL[CR]\t\t:Select Lamp mode",
    "CF LAMPMODE ECO[CR]",
    "CF LAMPMODE HIGH[CR]",
    "CF LAMPMODE UP[CR]",
    "CF LAMPMODE DN[CR]",

    // 185
    "CF VOLUME UP[CR]  \t:Set Volume value",
    "CF VOLUME DN[CR]",

    // 187
    "CF VOLUME 0%%[CR]  \t:% = 0-9",

    // 188
    "CF MUTE ON[CR]  \t:Control ON/OFF of Sound Mute",
    "CF MUTE OFF[CR]",

    // 190
    "CF MIC ON[CR] \t\t:Control ON/OFF of MIC",
    "CF MIC OFF[CR] ",

    // 192
    "CF MICGAIN UP[CR] \t:Control value of MIC gain",
    "CF MICGAIN DN[CR]",
    "CF MICGAIN 0%%[CR]",

    // 195
    "CF STANDBYMICOUT ON[CR] :Control ON/OFF of standby MIC out",
    "CF STANDBYMICOUT OFF[CR]",

    // 197
    "CF LANG ENG[CR]  \t\t:Select English        Select language for OSD",

    // 198
    "CF LANG DEU[CR]  \t\t:Select Geman",

    // 199
    "CF LANG FRA[CR]  \t\t:Select French",

    // 200
    "CF LANG ITA[CR]  \t\t:Select Italian",

    // 201
    "CF LANG ESP[CR]  \t\t:Select Spanish",

    // 202
    "CF LANG POR[CR]  \t\t:Select Portuguese",

    // 203
    "CF LANG NED[CR]  \t\t:Select Dutch",

    // 204
    "CF LANG SVE[CR]  \t\t:Select Swedish",

    // 205
    "CF LANG RUS[CR]  \t\t:Select Russian",

    // 206
    "CF LANG CHI[CR]  \t\t:Select Chinese",

    // 207
    "CF LANG KOR[CR]  \t\t:Select Korean",

    // 208
    "CF LANG JPN[CR]  \t\t:Select Japanese",

    // 209
    "CF LANG FIN[CR]  \t\t:Select Finnish",

    // 210
    "CF LANG POL[CR]  \t\t:Select polish",

    // 211
    "CF LANG HUN[CR]  \t\t:Select Hungarian",

    // 212
    "CF LANG ROM[CR]  \t\t:Select Romanian",

    // 213
    "CF LANG THA[CR]  \t\t:Select Thai",

    // 214
    "CF LANG TUR[CR]  \t\t:Select Turkish",

    // 215
    "CF LANG KAZ[CR]  \t\t:Select Kazakh",

    // 216
    "CF LANG VIE[CR]  \t\t:Select Vietnamese",

    // 217
    "CF MENUPOSITION SET[CR]  \t:Move nenu position",

    // 218
    "CF INPUTSEARCH OFF[CR]  \t:Set up Input search function",
    "CF INPUTSEARCH ON1[CR]",
    "CF INPUTSEARCH ON2[CR]",

    // 221
    "CF AUTOSETUPPCADJ ON[CR]  \t:Set Auto PC in Auto Setup",
    "CF AUTOSETUPPCADJ OFF[CR]",

    // 223
    "CF AUTOSETUPKEYSTONE AUTO[CR]  \t:Set Auto Keystone in Auto Setup",
    "CF AUTOSETUPKEYSTONE MANUAL[CR]",
    "CF AUTOSETUPKEYSTONE OFF[CR]",

    // 226
    "CF AUTOSETUP START[CR]  \t:Excute Auto Setup",

    // 227
    "CF BACKGND BLUE[CR]  \t\t:Set Screen mode for the case of no signal",
    "CF BACKGND USER[CR]",
    "CF BACKGND BLACK[CR]",
    "CF BACKGND UP[CR]",
    "CF BACKGND DN[CR]",

    // 232
    "CF DISP ON[CR]  \t\t:Set Display function",
    "CF DISP CNTDWNOFF[CR]",
    "CF DISP OFF[CR]",
    "CF DISP UP[CR]",
    "CF DISP DN[CR]",

    // 237
    "CF LOGO %%%% OFF[CR]  \t\t:Set Logo function",
    "CF LOGO %%%% DFLT[CR]",
    "CF LOGO %%%% USER[CR]",
    "CF LOGO %%%% UP[CR]",
    "CF LOGO %%%% DN[CR]",

    // 242
    "CF TERMINAL COMPUTER[CR] \t:Set Terminal function",
    "CF TERMINAL MONITOR[CR]",

    // 244
    "CF P-MANE OFF[CR]  \t\t:Set Power management function",
    "CF P-MANE READY[CR]",
    "CF P-MANE SHUTDOWN[CR]",
    "CF P-MANE UP[CR]",
    "CF P-MANE DN[CR]",

    // 249
    "CF P-MANETIME UP[CR]  \t\t:Set Power management time",
    "CF P-MANETIME DN[CR]",
    "CF P-MANETIME %%[CR]",

    // 252
    "CF ON-STA ON[CR]  \t\t:Set Power ON Start function",
    "CF ON-STA OFF[CR]",
    "CF ON-STA UP[CR]",
    "CF ON-STA DN[CR]",

    // 256
    "CF STANDBYMODE ECO[CR]  \t:Set Standby Mode",
    "CF STANDBYMODE NORMAL[CR]",

    // 258
    "CF PTIMEMODE COUNTUP[CR] \t:Set count up/count down P-timer function",
    "CF PTIMEMODE COUNTDN[CR]",

    // 260
    "CF PTIMER START[CR] \t\t:Set the status of P-timer",
    "CF PTIMER STOP[CR]",
    "CF PTIMER RESTART[CR]",
    "CF PTIMER RST[CR]",
    "CF PTIMER EXIT[CR]",

    // 265
    "CF PTIME %%%[CR] \t\t:Set Countdown timer for P-timer",

    // 266
    "CF CCAPTIONDISP OFF[CR]  \t:Set channel of Closed caption",
    "CF CCAPTIONDISP CC1[CR]",
    "CF CCAPTIONDISP CC2[CR]",
    "CF CCAPTIONDISP CC3[CR]",
    "CF CCAPTIONDISP CC4[CR]",

    // 271
    "CF CCAPTIONCOLOR COLOR[CR]  \t:Set color of Closed caption",
    "CF CCAPTIONCOLOR WHITE[CR]",

    // 273
    "CF RCODE 001[CR]  \t\t:Select Remote Control Receptin Code",
    "CF RCODE 002[CR]",
    "CF RCODE UP[CR]",
    "CF RCODE DN[CR]",

    // 277
    "CF KEYDIS NONE[CR]  \t\t:Disable RC/Projector keys",
    "CF KEYDIS RC[CR]",
    "CF KEYDIS KEY[CR]",

    // 280
    "CF PJPINCODE %%%%[CR]  \t\t:input PIN code release PJ Lock",

    // 281
    "CF FANMODE L1[CR]  \t\t:Select Fan mode",
    "CF FANMODE L2[CR]",

    // 283
    "CF FANCONTROL OFF[CR]  \t\t:Select Fan control mode",
    "CF FANCONTROL ON1[CR]",
    "CF FANCONTROL ON2[CR]",

    // 286
    "CF DELAYCTRL ON[CR]  \t\t:Set Video delay control",
    "CF DELAYCTRL OFF[CR]",

    // 288
    "CF FILTIMER 2000[CR]  \t\t:Set time when Filter warning OSD is displayed",
    "CF FILTIMER 3000[CR]",
    "CF FILTIMER 4000[CR]",
    "CF FILTIMER OFF[CR]",
    "CF FILTIMER UP[CR]",
    "CF FILTIMER DN[CR]",

    // 294
    "CF FILH RST[CR]  \t\t:Reset Filter used time",

    // 295
    "CF FDEFAULT RST[CR]  \t\t:Set the value to Factory Default ",

    // 296
    "CF KEYEMU RIGHT[CR]  \t:Behave the same as corresponding key of projector top panel",
    "CF KEYEMU LEFT[CR]",
    "CF KEYEMU UP[CR]",
    "CF KEYEMU DN[CR]",
    "CF KEYEMU SELECT[CR]",
    "CF KEYEMU AUTOPC[CR]",

    // 302
    "CF MENU ON[CR]  \t:Switch ON/OFF of each Menu.",
    "CF MENU OFF[CR]",

    // 304
    "CF POWER ON[CR]  \t:Switch ON/OFF of Power.",
    "CF POWER OFF[CR]",

    // 306
    "CF FREEZE ON[CR]  \t:Set Freezefunction.",
    "CF FREEZE OFF[CR]",
    "CF FREEZE UP[CR]",
    "CF FREEZE DN[CR]",

    // 310
    "CF VMUTE ON[CR]  \t:Set No show function.",
    "CF VMUTE OFF[CR]",
    "CF VMUTE UP[CR]",
    "CF VMUTE DN[CR]",
};
static_assert(std::size(kExpandedSet) == 314);

// Word commands that read a setting or status: command, "[CR]", a blank, a
// tab for commands shorter than 11 characters, a colon and the description.
// The list ends with seven empty entries and a single blank.
constexpr std::string_view kExpandedRead[] = {
    // 0
    "CR BRIGHT[CR] \t:Get Brightness value",
    "CR CONT[CR] \t:Get Contrast value",
    "CR COLOR[CR] \t:Get Color value",
    "CR TINT[CR] \t:Get Tint valu",
    "CR IRIS[CR] \t:Get setting status of Iris function",
    "CR SHARP[CR] \t:Get Sharpness value",
    "CR GAMMA[CR] \t:Get Gamma value",
    "CR WBAL-R[CR] \t:Get White Balance Red value",
    "CR WBAL-G[CR] \t:Get White Balance Green value",
    "CR WBAL-B[CR] \t:Get White Balance Blue value",
    // 10
    "CR COLTEMP[CR] \t:Get setting Color of temperatue",
    "CR NZRED[CR] \t:Get setting status of Noise reduction",
    "CR PROGV[CR] \t:Get setting status of Progressive scan",
    "CR IMAGE[CR] \t:Get Selected image status",
    "CR IMGGMD[CR] \t:Get setting value of image Gamma",
    "CR COLBOARD[CR] :Get Selected Colorboard mode",
    "CR FSYNC[CR] \t:Get setting value of Fine Sync",
    "CR TDOTS[CR] \t:Get setting value of Total Dots",
    "CR CLAMP[CR] \t:Get setting value of Clamp",
    "CR H-POS[CR] \t:Get setting value of Horizontal Position",
    // 20
    "CR V-POS[CR] \t:Get setting value of Vertical Position",
    "CR DDOTS[CR] \t:Get setting value of Display Dots",
    "CR DLINE[CR] \t:Get setting value of Display Line",
    "CR PCSTORE[CR] \t:Get Free or Stored status for PC Adj.mode1-5",
    "CR SERSYS[CR] \t:Get selected current signal. When in Auto mode, it returns a result by Auto detect",
    "CR INPUT[CR] \t:Get selected Input No.",
    "CR SOURCE[CR] \t:Get selected source of currently selected input",
    "CR SRCINP1[CR] \t:Get selected source of Computer1",
    "CR SRCINP2[CR] \t:Get selected source of Computer2",
    "CR SRCINP3[CR] \t:Get selected source of Computer3",
    // 30
    "CR SYSTEM[CR] \t:Get selected system status in input mode",
    "CR SYSLIST[CR] \t:Get selectable System table",
    "CR MODELIST[CR] :Get selectable Mode table",
    "CR SCREEN[CR] \t:Get selected screen size",
    "CR VSCALE[CR] \t:Get setting status of Vertical Scale",
    "CR VPOS[CR] \t:Get setting status of Vertical Position",
    "CR HSCALE[CR] \t:Get setting status of Horizontal Scale",
    "CR HPOS[CR] \t:Get setting status of Horizontal Position",
    "CR KYSTNMODE[CR] :Get setting status of Keystone Store mode",
    "CR CEIL[CR] \t:Get setting status of Ceiling",
    // 40
    "CR REAR[CR] \t:Get setting status of Rear",
    "CR LAMPREPL[CR] :Get the information for Lamp replacement time",
    "CR LAMPH[CR] \t:Get lamp total running time",
    "CR LAMPCORRESPH[CR] :Get corresponding lamp use time",
    "CR LAMPMODE[CR] :Get Lamp Mode status",
    "CR LAMPSTS[CR] \t:Get lamp lighting status",
    "CR PROJH[CR] \t:Get projector running time",
    "CR HMLAMP[CR] \t:Get lamp number",
    "CR VOLUME[CR] \t:Get Volume value",
    "CR MUTE[CR] \t:Get Sound Mute setting status",
    // 50
    "CR MIC[CR] \t:Get setting status of MIC ",
    "CR MICGAIN[CR] \t:GET value of MIC gain",
    "CR STANDBYMICOUT[CR] :Get setting status of standby MIC out",
    "CR LANG[CR] \t:Get selected language",
    "CR INPUTSEARCH[CR] :Get setting status of Input search",
    "CR AUTOSETUPPCADJ[CR] :Get setting status of Auto PC in Auto setup",
    "CR AUTOSETUPKEYSTONE[CR] :Get setting status of Keystone in Auto setup",
    "CR BACKGND[CR] \t:Get setting status screen mode for the case of no signal",
    "CR DISP[CR] \t:Get setting status of Display",
    "CR LOGO[CR] \t:GET setting status of Logo",
    // 60
    "CR TERMINAL[CR] :Get setting status of Terminal",
    "CR P-MANE[CR] \t:Get setting status of Power management",
    "CR P-MANETIME[CR] :Get setting time for Power management",
    "CR ON-STA[CR] \t:Get setting status of ON Start",
    "CR STANDBYMODE[CR] :Get setting status of Standby Mode",
    "CR PTIMEMODE[CR] :Get setting mode of P-timer",
    "CR PTIMER[CR] \t:Get status of P-timer",
    "CR PTIME[CR] \t:Get setting time for count down mode in P-timer",
    "CR CCAPTIONDISP[CR] :Get setting status of channel of Closed caption",
    "CR CCAPTIONCOLOR[CR] :Get setting status of color of Closed caption",
    // 70
    "CR RCODE[CR] \t:Get selsected Remote Control Code",
    "CR SECURITY[CR] :Get setting status of Security",
    "CR KEYDIS[CR] \t:Get RC/KEY disability status",
    "CR PJLOCKNOW[CR] :Get if PJ Lock is actually in operation",
    "CR PJLOCKMENU[CR] :Get setting status of PJ Lock on Menu",
    "CR FANMODE[CR] \t:Get selected Fan mode",
    "CR FANCONTROL[CR] :Get selected Fan Control Mode",
    "CR DELAYCTRL[CR] :Get selected Status of Video delay Control",
    "CR FILH[CR] \t:Get Filter used time",
    "CR FILREPL[CR] \t:Get the information for Filter replacement time",
    // 80
    "CR FILTIMER[CR] :Get time when Filter warning OSD is displayed",
    "CR STATUS[CR] \t:Get setting status of Projector behavior",
    "CR SIGNAL[CR] \t:Get Signal Status if there is a signal or not",
    "CR VMUTE[CR] \t:Get setting status of No Show",
    "CR FREEZE[CR] \t:Get setting status of Freeze",
    "CR TEMPWARN[CR] :Get if temperature is close to abnomal temperature",
    "CR TEMP[CR] \t:Get current temperature atatus",
    "CR TEMPFAIL[CR] :Get temperature when sensors approach abnomal temperature ",
    // 88
    "",
    "",
    // 90
    "",
    "",
    "",
    "",
    "",
    " ",
};
static_assert(std::size(kExpandedRead) == 96);

} // namespace

std::span<const std::string_view> basicCatalogue()
{
    return kBasic;
}

std::span<const std::string_view> expandedSetCatalogue()
{
    return kExpandedSet;
}

std::span<const std::string_view> expandedReadCatalogue()
{
    return kExpandedRead;
}

} // namespace orva

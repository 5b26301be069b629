<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>Kestrel</name>
    <message>
        <source>Shade the sensor from all light.</source>
        <translation>遮光してください</translation>
    </message>
    <message>
        <source>Adjust the light until every colour&apos;s level is about 800 LSB.</source>
        <translation>各色のLevelが約800LSBになるように調整してください</translation>
    </message>
    <message>
        <source>Adjust the light until every colour&apos;s level is about 150 LSB.</source>
        <translation>各色のLevelが約150LSBになるように調整してください</translation>
    </message>
    <message>
        <source>Shade the sensor from all light, then press Start.</source>
        <translation>                             遮光してください</translation>
    </message>
    <message>
        <source>Adjust Analog Black until every colour&apos;s level is about 96 LSB (its minimum must not go below 32).</source>
        <translation>各色の Level が 約96LSB (Min:32 を超えないこと) になるように、Analog Black を調整してください。</translation>
    </message>
    <message>
        <source>Adjust the red level to about 800 LSB.</source>
        <translation>赤の Level を約800LSBに調整してください</translation>
    </message>
    <message>
        <source>Adjust the green level to about 800 LSB.</source>
        <translation>緑の Level を約800LSBに調整してください</translation>
    </message>
    <message>
        <source>Adjust the blue level to about 800 LSB.</source>
        <translation>青の Level を約800LSBに調整してください</translation>
    </message>
    <message>
        <source>Storing the settings in the camera&apos;s flash…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the camera&apos;s settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Applying the setting file to the camera…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writing the pixel correction data…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the correction data: started.</source>
        <translation>はじまり</translation>
    </message>
    <message>
        <source>Reading the pixel correction data…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The routine did not succeed.</source>
        <translation>うまくいがねー</translation>
    </message>
    <message>
        <source>Reading the correction data: finished.</source>
        <translation>おわりましたり</translation>
    </message>
    <message>
        <source>Reading the video data…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Factory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Store the camera&apos;s current settings in the %1 setting area?
This overwrites the settings stored there.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CAboutDlg</name>
    <message>
        <source>Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save User ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Protect User ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable To Edit User ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View Help File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a help file from the list first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the user ID &quot;%1&quot; into the camera?
This overwrites the user ID stored there.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CAreaSelDlg</name>
    <message>
        <source>EEPROM Area Select</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CCommSelDlg</name>
    <message>
        <source>Communication</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Serial Index</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Communication Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Category</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Baud Rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Area</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Factory And User Setting In Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kestrel Message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save to File…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply from File…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Get Area</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Store</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Messages…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CCompareDlg</name>
    <message>
        <source>Compare with Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply selected to camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save camera values as...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CCorrectionPlotDlg</name>
    <message>
        <source>Correction Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read from Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open File...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Whole Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export PNG...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Statistics...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kind</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wheel: zoom, drag: pan, double click: the whole line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixels beyond 3 × noise from the running median; click to show one</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CDlgCameraId</name>
    <message>
        <source>Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The camera ID %1 is saved in the camera&apos;s flash.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the camera ID &quot;%1&quot; into the camera?
This overwrites the camera ID stored there.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CDlgColumnCal</name>
    <message>
        <source>Column Buffer Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CDlgCorrect</name>
    <message>
        <source>Select correction settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re-calibrate &amp; store correction setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CDlgDAC</name>
    <message>
        <source>AD5590</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cmd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BH2220</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black Offset (DAC)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CDlgFpgaReg</name>
    <message>
        <source>Register</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Offset
Addr (Hex)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0x</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data (Hex)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acc Sample Average</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Get</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CDlgReadoutCal</name>
    <message>
        <source>Readout CH Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CDlgTemp</name>
    <message>
        <source>Sensor1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CKestrelDlg</name>
    <message>
        <source>USER mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FACTORY mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No recent files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The manual was not found: it is installed as share/doc/kestrel/README.md.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not available yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line period of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exposure time of %1; &quot;over&quot; when it is longer than the line period</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TG Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trigger</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Origin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Polarity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Image Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CL Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bit Alloc.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test
Pattern</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line Rate, Exposure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line Rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ref.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto L.R. Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black Setup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel Balance Shutter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel Balance Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Balance Sensor2&apos;s exposure to Sensor1 (AH)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Balance Sensor2&apos;s gain to Sensor1 (CB)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blemish</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Correct</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Detect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1: the camera detects its blemished pixels now, into its blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2: the camera detects its blemished pixels now, into its blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Index</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pos</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1: reads the position at this index of the camera&apos;s blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2: reads the position at this index of the camera&apos;s blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>W</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1: writes the position typed above at this index of the camera&apos;s blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2: writes the position typed above at this index of the camera&apos;s blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aberration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lens in use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left Side</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Area</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2nd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3rd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lens%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel Black</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LUT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analog Base Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor Out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cfa</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cfb</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cfc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CL Cable Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Short</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Middle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Long</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Factory mode function</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AFE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CPSP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CT1R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CT2R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CTM0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>P0T1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>P0T2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>P1T1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>P1T2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHPW</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHPE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DPHP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DPHN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TCLD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SYSL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LTEA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LTEB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LTPA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LTPB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LTPL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LTPH</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gain (VGA Gain)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AutoTAP
Balance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>once</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1: the camera balances its eight tap gains once; the panel reads them back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2: the camera balances its eight tap gains once; the panel reads them back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noise Reduction Level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black Offset (Clamp Level)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black Setup (User)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1: the camera detects its blemished pixels now, into its factory blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2: the camera detects its blemished pixels now, into its factory blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1: reads the position at this index of the camera&apos;s factory blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2: reads the position at this index of the camera&apos;s factory blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor1: writes the position typed above at this index of the camera&apos;s factory blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor2: writes the position typed above at this index of the camera&apos;s factory blemish table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Boot Area Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2TAP Out Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AFE Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the window that reads and writes the sensors&apos; AFE registers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DAC Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the window that writes the camera&apos;s DAC values</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FPGA R/W</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the window that reads and writes FPGA registers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the monitor of the camera&apos;s temperatures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Terminal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the terminal: command lines to the camera and its replies</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor Mem</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the window that reads and writes the sensors&apos; memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Init Flash Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sets the camera&apos;s flash back to its initial data (in effect after a restart)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the window that writes the camera&apos;s serial number into its flash</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restarts the camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Store All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stores the camera&apos;s current settings into every setting area of its flash</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save as…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Compare with Camera…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read &amp;camera again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Load settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Store settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel &amp;Black</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pixel &amp;Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;hading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View Correction Data…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Terminal…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Terminal &amp;Routines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Communication…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;AFE Registers…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;DAC Values…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;FPGA Registers…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>T&amp;emperature…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor &amp;Memory…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera &amp;ID…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About this application…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit Kestrel?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit Kestrel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor%1: the camera sets its line period from the exposure by itself; the panel reads both back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor%1: opens the automatic %2 correction: its setting in the camera and a new calibration run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop looking for the camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Look for the camera on %1 now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking for the camera on %1…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking for the camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Back Up Camera…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Res&amp;tore Camera…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CLUTDlg</name>
    <message>
        <source>LUT Setting for Ch%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drag with the left button to add or move a point, with the right button to delete one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input %1 → Output %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current Mode Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read Table Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reads this channel&apos;s LUT from the camera into the graph</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write Table Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writes the table on the graph into this channel&apos;s LUT in the camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear Table Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starts the graph again from a straight line (nothing is sent)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Gamma File…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows a table from a gamma file on the graph (nothing is sent)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Gamma File…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saves the table on the graph as a gamma file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input – → Output –</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The table drawn for Ch%1 has not been written to the camera.
Write it now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera gamma data (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CProgDlg</name>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Working…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CRsTermDlg</name>
    <message>
        <source>RS-232C TERMINAL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write Mem.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dump Mem.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Addr(hex)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data(hex)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size(hex)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write correction data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read correction data</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CSensMem</name>
    <message>
        <source>Switches</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trigger</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Block</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CSensReg</name>
    <message>
        <source>AFE Register</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selector</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sample positions (tap 1 to 16)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHDLOC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHPLOC</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load register table…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save register table…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::CorrectionTools</name>
    <message>
        <source>Factory Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PRNU Cal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PRNU Cal 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FPLD Cal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Column Buf Cal…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Readout CH Cal…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aberration: User Load…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aberration: User Save…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor%1: opens the LUT editor, which reads and writes this channel&apos;s table in the camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor%1: the camera balanced its tap gains; the panel shows them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor%1: the position is written into the camera&apos;s blemish list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>pixel black</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>pixel gain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>shading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Store the %1 correction data of Sensor%2 in the camera&apos;s flash memory?
This overwrites the %1 data stored there for Sensor%2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::LinkLamp</name>
    <message>
        <source>Link state</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Online</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Offline</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::PanelCommands</name>
    <message>
        <source>Camera setting data (*.cam)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Applied %1: 1 line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Applied %1: %2 lines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restart the camera now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send the settings of %1 to the camera?
%2 lines, %3 settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped after %1 of %2 settings.
Put back the values the camera held before %3 was opened?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Store the camera&apos;s current settings in all three setting areas (Factory, User 1 and User 2)?
This overwrites the settings stored in each of them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset the parameters in the camera&apos;s flash memory to their defaults?
This overwrites every parameter stored there; the camera uses the defaults from its next start.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera backup (*.kbak)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read before it stopped (no file written): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was written whole.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backed up %1 parts into %2.
%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore camera %1 from %2?
This overwrites the working settings, the three setting areas, the correction data, the LUTs, the aberration table and the user ID stored in the camera.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Written before it stopped: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restored and read back equal: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::QtUserInterface</name>
    <message>
        <source>The camera keeps this after power-off; what it held before is lost.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::SpinEdit</name>
    <message>
        <source>0</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestrel::ToolWindow</name>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>HelpTexts</name>
    <message>
        <source>Pointer Acceleration controls how the cursor speed changes based on how fast you move your mouse.</source>
        <translation>Die Zeigerbeschleunigung bestimmt, wie sich die Zeigergeschwindigkeit danach richtet, wie schnell Sie die Maus bewegen.</translation>
    </message>
    <message>
        <source>• Higher values (10-20): Cursor moves much faster when you move the mouse quickly, but stays precise for slow movements</source>
        <translation>• Höhere Werte (10–20): Der Zeiger bewegt sich bei schnellen Mausbewegungen viel schneller, bleibt bei langsamen aber genau</translation>
    </message>
    <message>
        <source>• Lower values (0-5): More consistent speed regardless of how fast you move the mouse</source>
        <translation>• Niedrigere Werte (0–5): Gleichmäßigere Geschwindigkeit, egal wie schnell Sie die Maus bewegen</translation>
    </message>
    <message>
        <source>• Value of 0: Linear response with no acceleration</source>
        <translation>• Wert 0: Lineares Verhalten ohne Beschleunigung</translation>
    </message>
    <message>
        <source>When acceleration is enabled, it works together with Pointer Speed to determine the overall cursor behavior. Fast mouse movements get multiplied by the acceleration factor, while slow movements remain close to the base speed setting.</source>
        <translation>Ist die Beschleunigung eingeschaltet, bestimmt sie zusammen mit der Zeigergeschwindigkeit das gesamte Verhalten des Zeigers. Schnelle Mausbewegungen werden mit dem Beschleunigungsfaktor vervielfacht, langsame bleiben nahe an der Grundgeschwindigkeit.</translation>
    </message>
    <message>
        <source>Precision mode slows the pointer for a fine task: the selected device moves at this fraction of its speed while it is on.</source>
        <translation>Der Präzisionsmodus verlangsamt den Zeiger für feine Arbeit: Solange er eingeschaltet ist, bewegt sich das gewählte Gerät mit diesem Bruchteil seiner Geschwindigkeit.</translation>
    </message>
    <message>
        <source>Switch it with the check box, the tray menu&apos;s &quot;Precision mode&quot; item, or from anywhere with a key: in the desktop&apos;s keyboard shortcut settings, add a custom shortcut that runs</source>
        <translation>Schalten Sie ihn mit dem Ankreuzfeld, mit dem Eintrag „Präzisionsmodus“ im Menü der Kontrollleiste oder überall mit einer Taste um: Legen Sie in den Tastenkürzel-Einstellungen der Arbeitsumgebung ein eigenes Kürzel an, das Folgendes ausführt:</translation>
    </message>
    <message>
        <source>It works on X11 and Wayland alike. Precision mode is off at every start and is never stored; the fraction is stored with the device.</source>
        <translation>Das funktioniert unter X11 und Wayland gleichermaßen. Der Präzisionsmodus ist bei jedem Start aus und wird nie gespeichert; der Bruchteil wird mit dem Gerät gespeichert.</translation>
    </message>
    <message>
        <source>Pointer Speed sets the base sensitivity of your mouse cursor.</source>
        <translation>Die Zeigergeschwindigkeit legt die Grundempfindlichkeit Ihres Mauszeigers fest.</translation>
    </message>
    <message>
        <source>• Higher values (0.7-1.0): Cursor moves farther for each unit of mouse movement</source>
        <translation>• Höhere Werte (0,7–1,0): Der Zeiger bewegt sich pro Einheit Mausbewegung weiter</translation>
    </message>
    <message>
        <source>• Lower values (0.1-0.3): More precise control, cursor moves shorter distances</source>
        <translation>• Niedrigere Werte (0,1–0,3): Genauere Steuerung, der Zeiger legt kürzere Wege zurück</translation>
    </message>
    <message>
        <source>• Very low values: Useful for detailed work like photo editing or design</source>
        <translation>• Sehr niedrige Werte: Nützlich für Detailarbeit wie Bildbearbeitung oder Gestaltung</translation>
    </message>
    <message>
        <source>This setting determines the baseline cursor speed before acceleration is applied. When acceleration is enabled, this acts as the foundation speed that gets multiplied during fast movements.</source>
        <translation>Diese Einstellung bestimmt die Grundgeschwindigkeit des Zeigers, bevor die Beschleunigung wirkt. Bei eingeschalteter Beschleunigung ist sie die Basis, die bei schnellen Bewegungen vervielfacht wird.</translation>
    </message>
    <message>
        <source>Tracking Speed controls cursor movement when acceleration is disabled.</source>
        <translation>Das Zeigertempo steuert die Zeigerbewegung, wenn die Beschleunigung ausgeschaltet ist.</translation>
    </message>
    <message>
        <source>• Higher values (0.7-1.0): Faster cursor movement</source>
        <translation>• Höhere Werte (0,7–1,0): Schnellere Zeigerbewegung</translation>
    </message>
    <message>
        <source>• Lower values (0.1-0.3): Slower, more precise cursor movement</source>
        <translation>• Niedrigere Werte (0,1–0,3): Langsamere, genauere Zeigerbewegung</translation>
    </message>
    <message>
        <source>• This provides direct 1:1 mapping between mouse movement and cursor movement</source>
        <translation>• Mausbewegung und Zeigerbewegung entsprechen einander direkt im Verhältnis 1:1</translation>
    </message>
    <message>
        <source>When acceleration is disabled, this becomes the primary control for cursor speed. Unlike when acceleration is enabled, the cursor speed remains constant regardless of how fast you move the mouse.</source>
        <translation>Ist die Beschleunigung ausgeschaltet, wird dies die wichtigste Einstellung für die Zeigergeschwindigkeit. Anders als mit Beschleunigung bleibt die Geschwindigkeit gleich, egal wie schnell Sie die Maus bewegen.</translation>
    </message>
</context>
<context>
    <name>PermissionView</name>
    <message>
        <source>an X11 session</source>
        <translation>eine X11-Sitzung</translation>
    </message>
    <message>
        <source>XInput 2.2</source>
        <translation>XInput 2.2</translation>
    </message>
    <message>
        <source>Sway&apos;s IPC socket</source>
        <translation>den IPC-Socket von Sway</translation>
    </message>
    <message>
        <source>its X display</source>
        <translation>sein X-Display</translation>
    </message>
</context>
<context>
    <name>TrayToolTip</name>
    <message>
        <source>Veloquill – no device selected</source>
        <translation>Veloquill – kein Gerät gewählt</translation>
    </message>
    <message>
        <source>Veloquill – %1: speed %2</source>
        <translation>Veloquill – %1: Geschwindigkeit %2</translation>
    </message>
    <message>
        <source>, precision mode</source>
        <translation>, Präzisionsmodus</translation>
    </message>
</context>
<context>
    <name>veloquill::AboutFacts</name>
    <message>
        <source>X11 sessions (through XInput 2), KDE Plasma on Wayland (through KWin), GNOME on Wayland (through GNOME&apos;s mouse and touchpad settings, one speed for each kind of device) and Sway (through its IPC socket)</source>
        <translation>X11-Sitzungen (über XInput 2), KDE Plasma unter Wayland (über KWin), GNOME unter Wayland (über die Maus- und Touchpad-Einstellungen von GNOME, eine Geschwindigkeit je Geräteart) und Sway (über seinen IPC-Socket)</translation>
    </message>
    <message>
        <source>GNU General Public License, version 3 or later</source>
        <translation>GNU General Public License, Version 3 oder später</translation>
    </message>
</context>
<context>
    <name>veloquill::AboutView</name>
    <message>
        <source>Homepage: %1</source>
        <translation>Webseite: %1</translation>
    </message>
    <message>
        <source>Report a problem: %1</source>
        <translation>Problem melden: %1</translation>
    </message>
    <message>
        <source>Free software under the %1.</source>
        <translation>Freie Software unter der %1.</translation>
    </message>
    <message>
        <source>Follow My Journey</source>
        <translation>Weiterlesen</translation>
    </message>
    <message>
        <source>libinput: pointer acceleration</source>
        <translation>libinput: Zeigerbeschleunigung</translation>
    </message>
    <message>
        <source>W3C: How people with disabilities use the web</source>
        <translation>W3C: Wie Menschen mit Behinderungen das Web nutzen</translation>
    </message>
    <message>
        <source>X.Org: pointer acceleration</source>
        <translation>X.Org: Zeigerbeschleunigung</translation>
    </message>
    <message>
        <source>Read on about pointer acceleration in libinput and the X server, and about the people who rely on assistive input.</source>
        <translation>Mehr über Zeigerbeschleunigung in libinput und im X-Server und über die Menschen, die auf assistive Eingabegeräte angewiesen sind.</translation>
    </message>
    <message>
        <source>Veloquill sets how fast the mouse pointer moves, and how much it speeds up when you move quickly, separately for each pointing device connected to this computer.</source>
        <translation>Veloquill stellt ein, wie schnell sich der Mauszeiger bewegt und wie stark er beschleunigt, wenn Sie sich schnell bewegen – für jedes Zeigegerät an diesem Computer einzeln.</translation>
    </message>
    <message>
        <source>It is made for people who steer the pointer with assistive hardware: head-tracking mice, trackballs, foot mice. One speed rarely suits them all. A head mouse may need a slow, steady pointer while the trackball beside it needs a quick one.</source>
        <translation>Es ist für Menschen gemacht, die den Zeiger mit Hilfsmitteln steuern: Kopfmäusen, Trackballs, Fußmäusen. Selten passt eine Geschwindigkeit für alle. Eine Kopfmaus braucht vielleicht einen langsamen, ruhigen Zeiger, während der Trackball daneben einen schnellen braucht.</translation>
    </message>
    <message>
        <source>Veloquill remembers the settings of each device under that device&apos;s own identity and puts them back when it starts and whenever you choose the device again. A device whose name contains your preferred name can be chosen for you as soon as it is plugged in.</source>
        <translation>Veloquill merkt sich die Einstellungen jedes Geräts unter dessen eigener Kennung und stellt sie beim Start und bei jeder erneuten Auswahl des Geräts wieder her. Ein Gerät, dessen Name Ihren bevorzugten Namen enthält, kann automatisch ausgewählt werden, sobald es angeschlossen wird.</translation>
    </message>
    <message>
        <source>When Veloquill quits, it puts every device it changed back exactly as it found it, speed and acceleration alike, unless another program has changed it since. Should Veloquill end without quitting, “veloquill --restore” puts them back from the record it keeps of what it changed.</source>
        <translation>Beim Beenden setzt Veloquill jedes Gerät, das es verändert hat, genau so zurück, wie es es vorgefunden hat – Geschwindigkeit wie Beschleunigung –, sofern kein anderes Programm es inzwischen geändert hat. Endet Veloquill, ohne beendet worden zu sein, stellt „veloquill --restore“ die Geräte anhand der Aufzeichnung seiner Änderungen wieder her.</translation>
    </message>
    <message>
        <source>About Veloquill</source>
        <translation>Über Veloquill</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Built with determination, passion, and assistive technology</source>
        <translation>Gebaut mit Entschlossenheit, Leidenschaft und assistiver Technik</translation>
    </message>
    <message>
        <source>Veloquill works in %1. It lives in the system tray and writes one plain line to its log for every change it makes, so what it did can always be checked.</source>
        <translation>Veloquill funktioniert in %1. Es sitzt im Infobereich der Kontrollleiste und schreibt für jede Änderung eine schlichte Zeile in sein Protokoll, sodass sich stets nachprüfen lässt, was es getan hat.</translation>
    </message>
</context>
<context>
    <name>veloquill::AboutWindowController</name>
    <message>
        <source>About Veloquill</source>
        <translation>Über Veloquill</translation>
    </message>
</context>
<context>
    <name>veloquill::AutoSwitchOptions</name>
    <message>
        <source>Auto-switch to preferred device when connected</source>
        <translation>Beim Anschließen automatisch zum bevorzugten Gerät wechseln</translation>
    </message>
    <message>
        <source>Preferred device name:</source>
        <translation>Name des bevorzugten Geräts:</translation>
    </message>
    <message>
        <source>Device name</source>
        <translation>Gerätename</translation>
    </message>
    <message>
        <source>Preferred device name</source>
        <translation>Name des bevorzugten Geräts</translation>
    </message>
</context>
<context>
    <name>veloquill::DeviceForm</name>
    <message>
        <source>Select Device to Control</source>
        <translation>Zu steuerndes Gerät wählen</translation>
    </message>
    <message>
        <source>Auto-Switch Settings</source>
        <translation>Automatischer Wechsel</translation>
    </message>
</context>
<context>
    <name>veloquill::DevicePicker</name>
    <message>
        <source>Selected Device</source>
        <translation>Gewähltes Gerät</translation>
    </message>
    <message>
        <source>None (No device selected)</source>
        <translation>Keines (kein Gerät gewählt)</translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln connected)</source>
        <translation>
            <numerusform>%1 (%Ln angeschlossen)</numerusform>
            <numerusform>%1 (%Ln angeschlossen)</numerusform>
        </translation>
    </message>
    <message>
        <source> (not connected)</source>
        <translation> (nicht angeschlossen)</translation>
    </message>
</context>
<context>
    <name>veloquill::HelpButton</name>
    <message>
        <source>Help: %1</source>
        <translation>Hilfe: %1</translation>
    </message>
</context>
<context>
    <name>veloquill::HelpPopover</name>
    <message>
        <source>Help: %1</source>
        <translation>Hilfe: %1</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>veloquill::KeepOrGoBack</name>
    <message>
        <source>Pointer speed</source>
        <translation>Zeigergeschwindigkeit</translation>
    </message>
    <message>
        <source>Pointer acceleration</source>
        <translation>Zeigerbeschleunigung</translation>
    </message>
    <message>
        <source>Disable pointer acceleration</source>
        <translation>Zeigerbeschleunigung ausschalten</translation>
    </message>
    <message>
        <source>Precision mode</source>
        <translation>Präzisionsmodus</translation>
    </message>
    <message>
        <source>Precision factor</source>
        <translation>Präzisionsfaktor</translation>
    </message>
    <message>
        <source>Revert to system defaults</source>
        <translation>Systemvorgaben wiederherstellen</translation>
    </message>
</context>
<context>
    <name>veloquill::KeepOrGoBackBar</name>
    <message>
        <source>Keep</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>More time</source>
        <translation>Mehr Zeit</translation>
    </message>
    <message numerus="yes">
        <source>%Ln s</source>
        <translation>
            <numerusform>%Ln s</numerusform>
            <numerusform>%Ln s</numerusform>
        </translation>
    </message>
    <message>
        <source>How long a question like this waits for an answer</source>
        <translation>Wie lange eine solche Frage auf eine Antwort wartet</translation>
    </message>
    <message>
        <source>Time to answer:</source>
        <translation>Zeit zum Antworten:</translation>
    </message>
    <message numerus="yes">
        <source>%1 changed. Keep it? Going back in %Ln s. Keep: Alt+K. Go back: Esc or Alt+G. More time: Alt+M.</source>
        <translation>
            <numerusform>%1 geändert. Behalten? Zurück in %Ln Sekunde. Behalten: Alt+K. Zurück: Esc oder Alt+G. Mehr Zeit: Alt+M.</numerusform>
            <numerusform>%1 geändert. Behalten? Zurück in %Ln Sekunden. Behalten: Alt+K. Zurück: Esc oder Alt+G. Mehr Zeit: Alt+M.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Time to answer, %Ln s</source>
        <translation>
            <numerusform>Zeit zum Antworten, %Ln Sekunde</numerusform>
            <numerusform>Zeit zum Antworten, %Ln Sekunden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>veloquill::NoTrayFooter</name>
    <message>
        <source>Veloquill keeps running and applies your settings. To open this window again, start Veloquill again (for example from the application menu). To quit, choose Quit Veloquill.</source>
        <translation>Veloquill läuft weiter und wendet Ihre Einstellungen an. Um dieses Fenster wieder zu öffnen, starten Sie Veloquill erneut (zum Beispiel aus dem Anwendungsmenü). Zum Beenden wählen Sie „Veloquill beenden“.</translation>
    </message>
    <message>
        <source>Close window</source>
        <translation>Fenster schließen</translation>
    </message>
    <message>
        <source>About Veloquill</source>
        <translation>Über Veloquill</translation>
    </message>
    <message>
        <source>Quit Veloquill</source>
        <translation>Veloquill beenden</translation>
    </message>
</context>
<context>
    <name>veloquill::PermissionView</name>
    <message>
        <source>Open Mouse Settings</source>
        <translation>Mauseinstellungen öffnen</translation>
    </message>
    <message>
        <source>No mouse settings program of a known desktop (KDE Plasma, GNOME, Xfce, MATE, LXQt, Cinnamon) was found. Please open your desktop&apos;s mouse or accessibility settings from its menu.</source>
        <translation>Es wurde kein Mauseinstellungsprogramm einer bekannten Arbeitsumgebung (KDE Plasma, GNOME, Xfce, MATE, LXQt, Cinnamon) gefunden. Bitte öffnen Sie die Maus- oder Barrierefreiheitseinstellungen Ihrer Arbeitsumgebung über deren Menü.</translation>
    </message>
    <message>
        <source>This application needs %1 to function correctly.</source>
        <translation>Dieses Programm braucht %1, um richtig zu funktionieren.</translation>
    </message>
    <message>
        <source>X11 Session Required</source>
        <translation>X11-Sitzung erforderlich</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through X11. This session uses Wayland; log in to an X11 session to use it.</source>
        <translation>Veloquill steuert Zeigegeräte über X11. Diese Sitzung verwendet Wayland; melden Sie sich in einer X11-Sitzung an, um es zu verwenden.</translation>
    </message>
    <message>
        <source>XInput 2.2 Required</source>
        <translation>XInput 2.2 erforderlich</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through the X server&apos;s XInput extension, version 2.2 or later. This X server has an older one or none; use a newer X server to use it.</source>
        <translation>Veloquill steuert Zeigegeräte über die XInput-Erweiterung des X-Servers ab Version 2.2. Dieser X-Server hat eine ältere oder gar keine; verwenden Sie einen neueren X-Server, um es zu nutzen.</translation>
    </message>
    <message>
        <source>GNOME Settings Missing</source>
        <translation>GNOME-Einstellungen fehlen</translation>
    </message>
    <message>
        <source>GNOME&apos;s pointer settings</source>
        <translation>die Zeigereinstellungen von GNOME</translation>
    </message>
    <message>
        <source>Veloquill sets GNOME&apos;s mouse and touchpad settings, which this system does not have (org.gnome.desktop.peripherals, in the package gsettings-desktop-schemas). Install them and start Veloquill again.</source>
        <translation>Veloquill setzt die Maus- und Touchpad-Einstellungen von GNOME, die auf diesem System fehlen (org.gnome.desktop.peripherals im Paket gsettings-desktop-schemas). Installieren Sie sie und starten Sie Veloquill erneut.</translation>
    </message>
    <message>
        <source>KWin Not Answering</source>
        <translation>KWin antwortet nicht</translation>
    </message>
    <message>
        <source>KWin&apos;s input interface</source>
        <translation>die Eingabeschnittstelle von KWin</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through KWin&apos;s input interface, which does not answer. This window tries again every second.</source>
        <translation>Veloquill steuert Zeigegeräte über die Eingabeschnittstelle von KWin, die nicht antwortet. Dieses Fenster versucht es jede Sekunde erneut.</translation>
    </message>
    <message>
        <source>Sway Not Answering</source>
        <translation>Sway antwortet nicht</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through Sway&apos;s IPC socket ($SWAYSOCK), which does not answer. This window tries again every second.</source>
        <translation>Veloquill steuert Zeigegeräte über den IPC-Socket von Sway ($SWAYSOCK), der nicht antwortet. Dieses Fenster versucht es jede Sekunde erneut.</translation>
    </message>
    <message>
        <source>X Display Unavailable</source>
        <translation>X-Display nicht verfügbar</translation>
    </message>
    <message>
        <source>Veloquill needs to control your mouse pointer, and has lost its connection to the X server. Start Veloquill again in your X11 session.</source>
        <translation>Veloquill muss Ihren Mauszeiger steuern und hat die Verbindung zum X-Server verloren. Starten Sie Veloquill in Ihrer X11-Sitzung erneut.</translation>
    </message>
</context>
<context>
    <name>veloquill::PointerControlView</name>
    <message>
        <source>No pointer devices detected.</source>
        <translation>Keine Zeigegeräte erkannt.</translation>
    </message>
    <message>
        <source>Pointer Controls</source>
        <translation>Zeigersteuerung</translation>
    </message>
    <message>
        <source>Detected Pointer Devices</source>
        <translation>Erkannte Zeigegeräte</translation>
    </message>
</context>
<context>
    <name>veloquill::PointerControlsForm</name>
    <message>
        <source>Choose a device above to change its pointer settings.</source>
        <translation>Wählen Sie oben ein Gerät, um seine Zeigereinstellungen zu ändern.</translation>
    </message>
    <message>
        <source>Disable pointer acceleration</source>
        <translation>Zeigerbeschleunigung ausschalten</translation>
    </message>
    <message>
        <source>Tracking speed</source>
        <translation>Zeigertempo</translation>
    </message>
    <message>
        <source>(0–1)</source>
        <translation>(0–1)</translation>
    </message>
    <message>
        <source>Pointer acceleration</source>
        <translation>Zeigerbeschleunigung</translation>
    </message>
    <message>
        <source>(0–20)</source>
        <translation>(0–20)</translation>
    </message>
    <message>
        <source>Pointer speed</source>
        <translation>Zeigergeschwindigkeit</translation>
    </message>
    <message>
        <source>Revert to system defaults</source>
        <translation>Systemvorgaben wiederherstellen</translation>
    </message>
    <message>
        <source>This desktop has no amount of acceleration apart from the speed: only the speed below applies.</source>
        <translation>Diese Arbeitsumgebung kennt keine eigene Stärke der Beschleunigung neben der Geschwindigkeit: Nur die Geschwindigkeit unten gilt.</translation>
    </message>
    <message>
        <source>GNOME gives one speed to every mouse and trackball, and one to every touchpad: Veloquill sets it to the selected device&apos;s.</source>
        <translation>GNOME gibt allen Mäusen und Trackballs eine gemeinsame Geschwindigkeit und allen Touchpads eine: Veloquill setzt sie auf die des gewählten Geräts.</translation>
    </message>
    <message>
        <source>On this system the speed shapes the acceleration rather than scaling slow motion; the curve below shows it.</source>
        <translation>Auf diesem System formt die Geschwindigkeit die Beschleunigung, statt langsame Bewegungen zu skalieren; die Kurve unten zeigt es.</translation>
    </message>
    <message>
        <source>Pointer speed: Locked by your administrator.</source>
        <translation>Zeigergeschwindigkeit: Von Ihrer Administration gesperrt.</translation>
    </message>
    <message>
        <source>Pointer acceleration: Locked by your administrator.</source>
        <translation>Zeigerbeschleunigung: Von Ihrer Administration gesperrt.</translation>
    </message>
    <message>
        <source>This device has no pointer acceleration: only its speed can be set.</source>
        <translation>Dieses Gerät hat keine Zeigerbeschleunigung: Nur seine Geschwindigkeit lässt sich einstellen.</translation>
    </message>
</context>
<context>
    <name>veloquill::PointerCurveView</name>
    <message>
        <source>Pointer speed against hand speed</source>
        <translation>Zeigergeschwindigkeit über Handgeschwindigkeit</translation>
    </message>
    <message>
        <source>At slow hand speeds the pointer moves %1 as far; at fast ones up to %2.</source>
        <translation>Bei langsamer Hand bewegt sich der Zeiger %1 so weit, bei schneller bis zu %2.</translation>
    </message>
    <message>
        <source>Hand speed in mm/s, taking the device as 1000 dpi (its resolution is unknown)</source>
        <translation>Handgeschwindigkeit in mm/s, bei angenommenen 1000 dpi (die Auflösung des Geräts ist unbekannt)</translation>
    </message>
    <message>
        <source>Pointer speed (× hand motion)</source>
        <translation>Zeigergeschwindigkeit (× Handbewegung)</translation>
    </message>
</context>
<context>
    <name>veloquill::PrecisionControls</name>
    <message>
        <source>Precision mode</source>
        <translation>Präzisionsmodus</translation>
    </message>
    <message>
        <source>Precision factor</source>
        <translation>Präzisionsfaktor</translation>
    </message>
    <message>
        <source>(0.05–1)</source>
        <translation>(0,05–1)</translation>
    </message>
    <message>
        <source>The device cannot go slower than its slowest setting: in precision mode the pointer moves at %1× its speed instead of %2×.</source>
        <translation>Das Gerät kann nicht langsamer werden als seine langsamste Einstellung: Im Präzisionsmodus bewegt sich der Zeiger mit %1× seiner Geschwindigkeit statt %2×.</translation>
    </message>
    <message>
        <source>Precision mode, %1× speed</source>
        <translation>Präzisionsmodus, %1× Geschwindigkeit</translation>
    </message>
    <message>
        <source>To switch it with a key anywhere, add a shortcut that runs &quot;veloquill --precision toggle&quot; in the desktop&apos;s keyboard shortcut settings.</source>
        <translation>Um ihn überall mit einer Taste umzuschalten, legen Sie in den Tastenkürzel-Einstellungen der Arbeitsumgebung ein Kürzel an, das „veloquill --precision toggle“ ausführt.</translation>
    </message>
</context>
<context>
    <name>veloquill::SettingsWindowController</name>
    <message>
        <source>Veloquill Settings</source>
        <translation>Veloquill-Einstellungen</translation>
    </message>
</context>
<context>
    <name>veloquill::StartAtLoginToggle</name>
    <message>
        <source>Start at login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
</context>
<context>
    <name>veloquill::StatusBarController</name>
    <message>
        <source>&amp;Veloquill settings...</source>
        <translation>&amp;Veloquill-Einstellungen …</translation>
    </message>
    <message>
        <source>&amp;Precision mode</source>
        <translation>&amp;Präzisionsmodus</translation>
    </message>
    <message>
        <source>Start at &amp;login</source>
        <translation>Bei der &amp;Anmeldung starten</translation>
    </message>
    <message>
        <source>&amp;About Veloquill</source>
        <translation>&amp;Über Veloquill</translation>
    </message>
    <message>
        <source>&amp;Quit Veloquill</source>
        <translation>Veloquill &amp;beenden</translation>
    </message>
</context>
<context>
    <name>veloquill::ValueSliderRow</name>
    <message>
        <source>Decrease %1</source>
        <translation>%1 verringern</translation>
    </message>
    <message>
        <source>Increase %1</source>
        <translation>%1 erhöhen</translation>
    </message>
</context>
<context>
    <name>veloquill::VeloquillPointerSettingsState</name>
    <message>
        <source>Pointer speed not changed: the desktop kept %1.</source>
        <translation>Zeigergeschwindigkeit nicht geändert: Die Arbeitsumgebung hat %1 beibehalten.</translation>
    </message>
</context>
</TS>

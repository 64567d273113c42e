<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en">
<context>
    <name>HelpTexts</name>
    <message>
        <source>Pointer Acceleration controls how the cursor speed changes based on how fast you move your mouse.</source>
        <translation>La aceleración del puntero controla cómo cambia la velocidad del cursor según lo rápido que mueva el ratón.</translation>
    </message>
    <message>
        <source>• Higher values (10-20): Cursor moves much faster when you move the mouse quickly, but stays precise for slow movements</source>
        <translation>• Valores altos (10–20): el cursor se mueve mucho más rápido cuando mueve el ratón deprisa, pero sigue siendo preciso en los movimientos lentos</translation>
    </message>
    <message>
        <source>• Lower values (0-5): More consistent speed regardless of how fast you move the mouse</source>
        <translation>• Valores bajos (0–5): velocidad más uniforme, sin importar lo rápido que mueva el ratón</translation>
    </message>
    <message>
        <source>• Value of 0: Linear response with no acceleration</source>
        <translation>• Valor 0: respuesta lineal sin aceleración</translation>
    </message>
    <message>
        <source>When acceleration is enabled, it works together with Pointer Speed to determine the overall cursor behavior. Fast mouse movements get multiplied by the acceleration factor, while slow movements remain close to the base speed setting.</source>
        <translation>Cuando la aceleración está activada, actúa junto con la velocidad del puntero para determinar el comportamiento general del cursor. Los movimientos rápidos del ratón se multiplican por el factor de aceleración, mientras que los lentos se mantienen cerca de la velocidad base.</translation>
    </message>
    <message>
        <source>Precision mode slows the pointer for a fine task: the selected device moves at this fraction of its speed while it is on.</source>
        <translation>El modo de precisión ralentiza el puntero para una tarea delicada: mientras está activado, el dispositivo seleccionado se mueve a esta fracción de su velocidad.</translation>
    </message>
    <message>
        <source>Switch it with the check box, the tray menu&apos;s &quot;Precision mode&quot; item, or from anywhere with a key: in the desktop&apos;s keyboard shortcut settings, add a custom shortcut that runs</source>
        <translation>Actívelo con la casilla, con la opción «Modo de precisión» del menú de la bandeja o desde cualquier lugar con una tecla: en los ajustes de atajos de teclado del escritorio, añada un atajo personalizado que ejecute</translation>
    </message>
    <message>
        <source>It works on X11 and Wayland alike. Precision mode is off at every start and is never stored; the fraction is stored with the device.</source>
        <translation>Funciona igual en X11 y en Wayland. El modo de precisión está desactivado en cada inicio y nunca se guarda; la fracción se guarda con el dispositivo.</translation>
    </message>
    <message>
        <source>Pointer Speed sets the base sensitivity of your mouse cursor.</source>
        <translation>La velocidad del puntero fija la sensibilidad base del cursor del ratón.</translation>
    </message>
    <message>
        <source>• Higher values (0.7-1.0): Cursor moves farther for each unit of mouse movement</source>
        <translation>• Valores altos (0,7–1,0): el cursor recorre más distancia por cada unidad de movimiento del ratón</translation>
    </message>
    <message>
        <source>• Lower values (0.1-0.3): More precise control, cursor moves shorter distances</source>
        <translation>• Valores bajos (0,1–0,3): control más preciso, el cursor recorre distancias más cortas</translation>
    </message>
    <message>
        <source>• Very low values: Useful for detailed work like photo editing or design</source>
        <translation>• Valores muy bajos: útiles para trabajos detallados como la edición de fotos o el diseño</translation>
    </message>
    <message>
        <source>This setting determines the baseline cursor speed before acceleration is applied. When acceleration is enabled, this acts as the foundation speed that gets multiplied during fast movements.</source>
        <translation>Este ajuste determina la velocidad base del cursor antes de aplicar la aceleración. Con la aceleración activada, es la velocidad de partida que se multiplica en los movimientos rápidos.</translation>
    </message>
    <message>
        <source>Tracking Speed controls cursor movement when acceleration is disabled.</source>
        <translation>La velocidad de seguimiento controla el movimiento del cursor cuando la aceleración está desactivada.</translation>
    </message>
    <message>
        <source>• Higher values (0.7-1.0): Faster cursor movement</source>
        <translation>• Valores altos (0,7–1,0): movimiento del cursor más rápido</translation>
    </message>
    <message>
        <source>• Lower values (0.1-0.3): Slower, more precise cursor movement</source>
        <translation>• Valores bajos (0,1–0,3): movimiento del cursor más lento y preciso</translation>
    </message>
    <message>
        <source>• This provides direct 1:1 mapping between mouse movement and cursor movement</source>
        <translation>• El movimiento del ratón y el del cursor se corresponden directamente, 1:1</translation>
    </message>
    <message>
        <source>When acceleration is disabled, this becomes the primary control for cursor speed. Unlike when acceleration is enabled, the cursor speed remains constant regardless of how fast you move the mouse.</source>
        <translation>Con la aceleración desactivada, este es el control principal de la velocidad del cursor. A diferencia de cuando la aceleración está activada, la velocidad del cursor se mantiene constante sin importar lo rápido que mueva el ratón.</translation>
    </message>
</context>
<context>
    <name>PermissionView</name>
    <message>
        <source>an X11 session</source>
        <translation>una sesión X11</translation>
    </message>
    <message>
        <source>XInput 2.2</source>
        <translation>XInput 2.2</translation>
    </message>
    <message>
        <source>Sway&apos;s IPC socket</source>
        <translation>el socket IPC de Sway</translation>
    </message>
    <message>
        <source>its X display</source>
        <translation>su pantalla X</translation>
    </message>
</context>
<context>
    <name>TrayToolTip</name>
    <message>
        <source>Veloquill – no device selected</source>
        <translation>Veloquill – ningún dispositivo seleccionado</translation>
    </message>
    <message>
        <source>Veloquill – %1: speed %2</source>
        <translation>Veloquill – %1: velocidad %2</translation>
    </message>
    <message>
        <source>, precision mode</source>
        <translation>, modo de precisión</translation>
    </message>
</context>
<context>
    <name>veloquill::AboutFacts</name>
    <message>
        <source>X11 sessions (through XInput 2), KDE Plasma on Wayland (through KWin), GNOME on Wayland (through GNOME&apos;s mouse and touchpad settings, one speed for each kind of device) and Sway (through its IPC socket)</source>
        <translation>sesiones X11 (a través de XInput 2), KDE Plasma en Wayland (a través de KWin), GNOME en Wayland (a través de los ajustes de ratón y panel táctil de GNOME, una velocidad para cada tipo de dispositivo) y Sway (a través de su socket IPC)</translation>
    </message>
    <message>
        <source>GNU General Public License, version 3 or later</source>
        <translation>Licencia Pública General de GNU, versión 3 o posterior</translation>
    </message>
</context>
<context>
    <name>veloquill::AboutView</name>
    <message>
        <source>Homepage: %1</source>
        <translation>Página web: %1</translation>
    </message>
    <message>
        <source>Report a problem: %1</source>
        <translation>Informar de un problema: %1</translation>
    </message>
    <message>
        <source>Free software under the %1.</source>
        <translation>Software libre bajo la %1.</translation>
    </message>
    <message>
        <source>Follow My Journey</source>
        <translation>Para saber más</translation>
    </message>
    <message>
        <source>libinput: pointer acceleration</source>
        <translation>libinput: aceleración del puntero</translation>
    </message>
    <message>
        <source>W3C: How people with disabilities use the web</source>
        <translation>W3C: Cómo usan la web las personas con discapacidad</translation>
    </message>
    <message>
        <source>X.Org: pointer acceleration</source>
        <translation>X.Org: aceleración del puntero</translation>
    </message>
    <message>
        <source>Read on about pointer acceleration in libinput and the X server, and about the people who rely on assistive input.</source>
        <translation>Lea más sobre la aceleración del puntero en libinput y en el servidor X, y sobre las personas que dependen de dispositivos de entrada de apoyo.</translation>
    </message>
    <message>
        <source>Veloquill sets how fast the mouse pointer moves, and how much it speeds up when you move quickly, separately for each pointing device connected to this computer.</source>
        <translation>Veloquill ajusta la velocidad del puntero del ratón y cuánto se acelera cuando usted se mueve deprisa, por separado para cada dispositivo señalador conectado a este equipo.</translation>
    </message>
    <message>
        <source>It is made for people who steer the pointer with assistive hardware: head-tracking mice, trackballs, foot mice. One speed rarely suits them all. A head mouse may need a slow, steady pointer while the trackball beside it needs a quick one.</source>
        <translation>Está pensado para personas que mueven el puntero con dispositivos de apoyo: ratones de cabeza, trackballs, ratones de pie. Rara vez una sola velocidad sirve para todos. Un ratón de cabeza puede necesitar un puntero lento y estable mientras el trackball de al lado necesita uno rápido.</translation>
    </message>
    <message>
        <source>Veloquill remembers the settings of each device under that device&apos;s own identity and puts them back when it starts and whenever you choose the device again. A device whose name contains your preferred name can be chosen for you as soon as it is plugged in.</source>
        <translation>Veloquill recuerda los ajustes de cada dispositivo bajo la identidad propia de ese dispositivo y los vuelve a aplicar al iniciarse y cada vez que usted elige de nuevo el dispositivo. Un dispositivo cuyo nombre contenga su nombre preferido puede elegirse automáticamente en cuanto se conecte.</translation>
    </message>
    <message>
        <source>When Veloquill quits, it puts every device it changed back exactly as it found it, speed and acceleration alike, unless another program has changed it since. Should Veloquill end without quitting, “veloquill --restore” puts them back from the record it keeps of what it changed.</source>
        <translation>Al salir, Veloquill deja cada dispositivo que cambió exactamente como lo encontró, tanto la velocidad como la aceleración, salvo que otro programa lo haya cambiado después. Si Veloquill termina sin salir de forma normal, «veloquill --restore» los restablece a partir del registro que guarda de lo que cambió.</translation>
    </message>
    <message>
        <source>About Veloquill</source>
        <translation>Acerca de Veloquill</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Versión %1</translation>
    </message>
    <message>
        <source>Built with determination, passion, and assistive technology</source>
        <translation>Hecho con determinación, pasión y tecnología de apoyo</translation>
    </message>
    <message>
        <source>Veloquill works in %1. It lives in the system tray and writes one plain line to its log for every change it makes, so what it did can always be checked.</source>
        <translation>Veloquill funciona en %1. Vive en la bandeja del sistema y escribe una línea sencilla en su registro por cada cambio que hace, de modo que siempre se puede comprobar lo que hizo.</translation>
    </message>
</context>
<context>
    <name>veloquill::AboutWindowController</name>
    <message>
        <source>About Veloquill</source>
        <translation>Acerca de Veloquill</translation>
    </message>
</context>
<context>
    <name>veloquill::AutoSwitchOptions</name>
    <message>
        <source>Auto-switch to preferred device when connected</source>
        <translation>Cambiar automáticamente al dispositivo preferido al conectarlo</translation>
    </message>
    <message>
        <source>Preferred device name:</source>
        <translation>Nombre del dispositivo preferido:</translation>
    </message>
    <message>
        <source>Device name</source>
        <translation>Nombre del dispositivo</translation>
    </message>
    <message>
        <source>Preferred device name</source>
        <translation>Nombre del dispositivo preferido</translation>
    </message>
</context>
<context>
    <name>veloquill::DeviceForm</name>
    <message>
        <source>Select Device to Control</source>
        <translation>Elegir el dispositivo que controlar</translation>
    </message>
    <message>
        <source>Auto-Switch Settings</source>
        <translation>Cambio automático</translation>
    </message>
</context>
<context>
    <name>veloquill::DevicePicker</name>
    <message>
        <source>Selected Device</source>
        <translation>Dispositivo seleccionado</translation>
    </message>
    <message>
        <source>None (No device selected)</source>
        <translation>Ninguno (ningún dispositivo seleccionado)</translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln connected)</source>
        <translation>
            <numerusform>%1 (%Ln conectado)</numerusform>
            <numerusform>%1 (%Ln conectados)</numerusform>
        </translation>
    </message>
    <message>
        <source> (not connected)</source>
        <translation> (no conectado)</translation>
    </message>
</context>
<context>
    <name>veloquill::HelpButton</name>
    <message>
        <source>Help: %1</source>
        <translation>Ayuda: %1</translation>
    </message>
</context>
<context>
    <name>veloquill::HelpPopover</name>
    <message>
        <source>Help: %1</source>
        <translation>Ayuda: %1</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
</context>
<context>
    <name>veloquill::KeepOrGoBack</name>
    <message>
        <source>Pointer speed</source>
        <translation>Velocidad del puntero</translation>
    </message>
    <message>
        <source>Pointer acceleration</source>
        <translation>Aceleración del puntero</translation>
    </message>
    <message>
        <source>Disable pointer acceleration</source>
        <translation>Desactivar la aceleración del puntero</translation>
    </message>
    <message>
        <source>Precision mode</source>
        <translation>Modo de precisión</translation>
    </message>
    <message>
        <source>Precision factor</source>
        <translation>Factor de precisión</translation>
    </message>
    <message>
        <source>Revert to system defaults</source>
        <translation>Restablecer los valores del sistema</translation>
    </message>
</context>
<context>
    <name>veloquill::KeepOrGoBackBar</name>
    <message>
        <source>Keep</source>
        <translation>Conservar</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>Volver atrás</translation>
    </message>
    <message>
        <source>More time</source>
        <translation>Más tiempo</translation>
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
        <translation>Cuánto tiempo espera respuesta una pregunta como esta</translation>
    </message>
    <message>
        <source>Time to answer:</source>
        <translation>Tiempo para responder:</translation>
    </message>
    <message numerus="yes">
        <source>%1 changed. Keep it? Going back in %Ln s. Keep: Alt+K. Go back: Esc or Alt+G. More time: Alt+M.</source>
        <translation>
            <numerusform>Cambió: %1. ¿Conservar el cambio? Se vuelve atrás en %Ln segundo. Conservar: Alt+K. Volver atrás: Esc o Alt+G. Más tiempo: Alt+M.</numerusform>
            <numerusform>Cambió: %1. ¿Conservar el cambio? Se vuelve atrás en %Ln segundos. Conservar: Alt+K. Volver atrás: Esc o Alt+G. Más tiempo: Alt+M.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Time to answer, %Ln s</source>
        <translation>
            <numerusform>Tiempo para responder, %Ln segundo</numerusform>
            <numerusform>Tiempo para responder, %Ln segundos</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>veloquill::NoTrayFooter</name>
    <message>
        <source>Veloquill keeps running and applies your settings. To open this window again, start Veloquill again (for example from the application menu). To quit, choose Quit Veloquill.</source>
        <translation>Veloquill sigue en marcha y aplica sus ajustes. Para volver a abrir esta ventana, inicie Veloquill de nuevo (por ejemplo, desde el menú de aplicaciones). Para salir, elija «Salir de Veloquill».</translation>
    </message>
    <message>
        <source>Close window</source>
        <translation>Cerrar la ventana</translation>
    </message>
    <message>
        <source>About Veloquill</source>
        <translation>Acerca de Veloquill</translation>
    </message>
    <message>
        <source>Quit Veloquill</source>
        <translation>Salir de Veloquill</translation>
    </message>
</context>
<context>
    <name>veloquill::PermissionView</name>
    <message>
        <source>Open Mouse Settings</source>
        <translation>Abrir los ajustes del ratón</translation>
    </message>
    <message>
        <source>No mouse settings program of a known desktop (KDE Plasma, GNOME, Xfce, MATE, LXQt, Cinnamon) was found. Please open your desktop&apos;s mouse or accessibility settings from its menu.</source>
        <translation>No se encontró el programa de ajustes del ratón de ningún escritorio conocido (KDE Plasma, GNOME, Xfce, MATE, LXQt, Cinnamon). Abra los ajustes de ratón o de accesibilidad de su escritorio desde su menú.</translation>
    </message>
    <message>
        <source>This application needs %1 to function correctly.</source>
        <translation>Esta aplicación necesita %1 para funcionar correctamente.</translation>
    </message>
    <message>
        <source>X11 Session Required</source>
        <translation>Se necesita una sesión X11</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through X11. This session uses Wayland; log in to an X11 session to use it.</source>
        <translation>Veloquill controla los dispositivos señaladores a través de X11. Esta sesión usa Wayland; inicie una sesión X11 para usarlo.</translation>
    </message>
    <message>
        <source>XInput 2.2 Required</source>
        <translation>Se necesita XInput 2.2</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through the X server&apos;s XInput extension, version 2.2 or later. This X server has an older one or none; use a newer X server to use it.</source>
        <translation>Veloquill controla los dispositivos señaladores a través de la extensión XInput del servidor X, versión 2.2 o posterior. Este servidor X tiene una más antigua o ninguna; use un servidor X más reciente para usarlo.</translation>
    </message>
    <message>
        <source>GNOME Settings Missing</source>
        <translation>Faltan los ajustes de GNOME</translation>
    </message>
    <message>
        <source>GNOME&apos;s pointer settings</source>
        <translation>los ajustes del puntero de GNOME</translation>
    </message>
    <message>
        <source>Veloquill sets GNOME&apos;s mouse and touchpad settings, which this system does not have (org.gnome.desktop.peripherals, in the package gsettings-desktop-schemas). Install them and start Veloquill again.</source>
        <translation>Veloquill cambia los ajustes de ratón y panel táctil de GNOME, que este sistema no tiene (org.gnome.desktop.peripherals, en el paquete gsettings-desktop-schemas). Instálelos y vuelva a iniciar Veloquill.</translation>
    </message>
    <message>
        <source>KWin Not Answering</source>
        <translation>KWin no responde</translation>
    </message>
    <message>
        <source>KWin&apos;s input interface</source>
        <translation>la interfaz de entrada de KWin</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through KWin&apos;s input interface, which does not answer. This window tries again every second.</source>
        <translation>Veloquill controla los dispositivos señaladores a través de la interfaz de entrada de KWin, que no responde. Esta ventana lo vuelve a intentar cada segundo.</translation>
    </message>
    <message>
        <source>Sway Not Answering</source>
        <translation>Sway no responde</translation>
    </message>
    <message>
        <source>Veloquill controls pointer devices through Sway&apos;s IPC socket ($SWAYSOCK), which does not answer. This window tries again every second.</source>
        <translation>Veloquill controla los dispositivos señaladores a través del socket IPC de Sway ($SWAYSOCK), que no responde. Esta ventana lo vuelve a intentar cada segundo.</translation>
    </message>
    <message>
        <source>X Display Unavailable</source>
        <translation>Pantalla X no disponible</translation>
    </message>
    <message>
        <source>Veloquill needs to control your mouse pointer, and has lost its connection to the X server. Start Veloquill again in your X11 session.</source>
        <translation>Veloquill necesita controlar el puntero del ratón y ha perdido la conexión con el servidor X. Vuelva a iniciar Veloquill en su sesión X11.</translation>
    </message>
</context>
<context>
    <name>veloquill::PointerControlView</name>
    <message>
        <source>No pointer devices detected.</source>
        <translation>No se detectó ningún dispositivo señalador.</translation>
    </message>
    <message>
        <source>Pointer Controls</source>
        <translation>Controles del puntero</translation>
    </message>
    <message>
        <source>Detected Pointer Devices</source>
        <translation>Dispositivos señaladores detectados</translation>
    </message>
</context>
<context>
    <name>veloquill::PointerControlsForm</name>
    <message>
        <source>Choose a device above to change its pointer settings.</source>
        <translation>Elija arriba un dispositivo para cambiar sus ajustes de puntero.</translation>
    </message>
    <message>
        <source>Disable pointer acceleration</source>
        <translation>Desactivar la aceleración del puntero</translation>
    </message>
    <message>
        <source>Tracking speed</source>
        <translation>Velocidad de seguimiento</translation>
    </message>
    <message>
        <source>(0–1)</source>
        <translation>(0–1)</translation>
    </message>
    <message>
        <source>Pointer acceleration</source>
        <translation>Aceleración del puntero</translation>
    </message>
    <message>
        <source>(0–20)</source>
        <translation>(0–20)</translation>
    </message>
    <message>
        <source>Pointer speed</source>
        <translation>Velocidad del puntero</translation>
    </message>
    <message>
        <source>Revert to system defaults</source>
        <translation>Restablecer los valores del sistema</translation>
    </message>
    <message>
        <source>This desktop has no amount of acceleration apart from the speed: only the speed below applies.</source>
        <translation>Este escritorio no tiene una cantidad de aceleración aparte de la velocidad: solo cuenta la velocidad de abajo.</translation>
    </message>
    <message>
        <source>GNOME gives one speed to every mouse and trackball, and one to every touchpad: Veloquill sets it to the selected device&apos;s.</source>
        <translation>GNOME da una sola velocidad a todos los ratones y trackballs, y otra a todos los paneles táctiles: Veloquill la ajusta a la del dispositivo seleccionado.</translation>
    </message>
    <message>
        <source>On this system the speed shapes the acceleration rather than scaling slow motion; the curve below shows it.</source>
        <translation>En este sistema la velocidad da forma a la aceleración en lugar de escalar el movimiento lento; la curva de abajo lo muestra.</translation>
    </message>
    <message>
        <source>Pointer speed: Locked by your administrator.</source>
        <translation>Velocidad del puntero: bloqueada por su administrador.</translation>
    </message>
    <message>
        <source>Pointer acceleration: Locked by your administrator.</source>
        <translation>Aceleración del puntero: bloqueada por su administrador.</translation>
    </message>
    <message>
        <source>This device has no pointer acceleration: only its speed can be set.</source>
        <translation>Este dispositivo no tiene aceleración del puntero: solo se puede ajustar su velocidad.</translation>
    </message>
</context>
<context>
    <name>veloquill::PointerCurveView</name>
    <message>
        <source>Pointer speed against hand speed</source>
        <translation>Velocidad del puntero frente a velocidad de la mano</translation>
    </message>
    <message>
        <source>At slow hand speeds the pointer moves %1 as far; at fast ones up to %2.</source>
        <translation>Con la mano lenta el puntero recorre %1 la distancia; con la mano rápida, hasta %2.</translation>
    </message>
    <message>
        <source>Hand speed in mm/s, taking the device as 1000 dpi (its resolution is unknown)</source>
        <translation>Velocidad de la mano en mm/s, suponiendo 1000 ppp (se desconoce la resolución del dispositivo)</translation>
    </message>
    <message>
        <source>Pointer speed (× hand motion)</source>
        <translation>Velocidad del puntero (× movimiento de la mano)</translation>
    </message>
</context>
<context>
    <name>veloquill::PrecisionControls</name>
    <message>
        <source>Precision mode</source>
        <translation>Modo de precisión</translation>
    </message>
    <message>
        <source>Precision factor</source>
        <translation>Factor de precisión</translation>
    </message>
    <message>
        <source>(0.05–1)</source>
        <translation>(0,05–1)</translation>
    </message>
    <message>
        <source>The device cannot go slower than its slowest setting: in precision mode the pointer moves at %1× its speed instead of %2×.</source>
        <translation>El dispositivo no puede ir más lento que su ajuste más lento: en el modo de precisión el puntero se mueve a %1× su velocidad en lugar de %2×.</translation>
    </message>
    <message>
        <source>Precision mode, %1× speed</source>
        <translation>Modo de precisión, %1× la velocidad</translation>
    </message>
    <message>
        <source>To switch it with a key anywhere, add a shortcut that runs &quot;veloquill --precision toggle&quot; in the desktop&apos;s keyboard shortcut settings.</source>
        <translation>Para activarlo con una tecla desde cualquier lugar, añada en los ajustes de atajos de teclado del escritorio un atajo que ejecute «veloquill --precision toggle».</translation>
    </message>
</context>
<context>
    <name>veloquill::SettingsWindowController</name>
    <message>
        <source>Veloquill Settings</source>
        <translation>Ajustes de Veloquill</translation>
    </message>
</context>
<context>
    <name>veloquill::StartAtLoginToggle</name>
    <message>
        <source>Start at login</source>
        <translation>Iniciar al entrar en la sesión</translation>
    </message>
</context>
<context>
    <name>veloquill::StatusBarController</name>
    <message>
        <source>&amp;Veloquill settings...</source>
        <translation>Ajustes de &amp;Veloquill…</translation>
    </message>
    <message>
        <source>&amp;Precision mode</source>
        <translation>Modo de &amp;precisión</translation>
    </message>
    <message>
        <source>Start at &amp;login</source>
        <translation>&amp;Iniciar al entrar en la sesión</translation>
    </message>
    <message>
        <source>&amp;About Veloquill</source>
        <translation>&amp;Acerca de Veloquill</translation>
    </message>
    <message>
        <source>&amp;Quit Veloquill</source>
        <translation>&amp;Salir de Veloquill</translation>
    </message>
</context>
<context>
    <name>veloquill::ValueSliderRow</name>
    <message>
        <source>Decrease %1</source>
        <translation>Reducir %1</translation>
    </message>
    <message>
        <source>Increase %1</source>
        <translation>Aumentar %1</translation>
    </message>
</context>
<context>
    <name>veloquill::VeloquillPointerSettingsState</name>
    <message>
        <source>Pointer speed not changed: the desktop kept %1.</source>
        <translation>La velocidad del puntero no cambió: el escritorio mantuvo %1.</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>FolderWipe</name>
    <message>
        <source>Ошибка! %1. Операция отменена.</source>
        <translation>Error! %1. Operation cancelled.</translation>
    </message>
    <message>
        <source>Внимание! %1. Операция отменена.</source>
        <translation>Warning! %1. Operation cancelled.</translation>
    </message>
    <message>
        <source>Внимание! %1. Операция прервана.</source>
        <translation>Warning! %1. Operation interrupted.</translation>
    </message>
    <message numerus="yes">
        <source>%n файлов не содержат данных Tarvo Data.</source>
        <translation>
            <numerusform>%n file holds no Tarvo Data.</numerusform>
            <numerusform>%n files hold no Tarvo Data.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n файлов не нуждаются в правке (указанны данные в их Tarvo Data не заданы или уже стёрты.</source>
        <translation>
            <numerusform>%n file needs no change (the chosen data are not set in its Tarvo Data or are already wiped).</numerusform>
            <numerusform>%n files need no change (the chosen data are not set in their Tarvo Data or are already wiped).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n ошибок типа &quot;файл не найден&quot;.</source>
        <translation>
            <numerusform>%n &quot;file not found&quot; error.</numerusform>
            <numerusform>%n &quot;file not found&quot; errors.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n ошибок типа &quot;файл не удалось прочитать&quot;.</source>
        <translation>
            <numerusform>%n &quot;file could not be read&quot; error.</numerusform>
            <numerusform>%n &quot;file could not be read&quot; errors.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n ошибок типа &quot;файл не удалось открыть для записи&quot;.</source>
        <translation>
            <numerusform>%n &quot;file could not be opened for writing&quot; error.</numerusform>
            <numerusform>%n &quot;file could not be opened for writing&quot; errors.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n ошибок типа &quot;не удалось установить поизицю записи в файле&quot;.</source>
        <translation>
            <numerusform>%n &quot;could not set the write position in the file&quot; error.</numerusform>
            <numerusform>%n &quot;could not set the write position in the file&quot; errors.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n критических ошибок типа &quot;сбой при записи&quot;.</source>
        <translation>
            <numerusform>%n critical &quot;writing failed&quot; error.</numerusform>
            <numerusform>%n critical &quot;writing failed&quot; errors.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n ошибок типа &quot;неизвестная ошибка&quot;.</source>
        <translation>
            <numerusform>%n unknown error.</numerusform>
            <numerusform>%n unknown errors.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n файлов всё ещё содержат копии стёртых данных в других метаданных.</source>
        <translation>
            <numerusform>%n file still holds copies of the wiped data in other metadata.</numerusform>
            <numerusform>%n files still hold copies of the wiped data in other metadata.</numerusform>
        </translation>
    </message>
    <message>
        <source>Параметры не заданы</source>
        <translation>No parameters are chosen</translation>
    </message>
    <message>
        <source>Файл не найден</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>В файле нет данных Tarvo или не удалось прочитать</source>
        <translation>The file holds no Tarvo data or could not be read</translation>
    </message>
    <message>
        <source>Указанные для стирания данные отсутствуют в файле или уже стёрты</source>
        <translation>The data chosen for wiping are not in the file or are already wiped</translation>
    </message>
    <message>
        <source>Не удалось открыть файл для записи</source>
        <translation>Could not open the file for writing</translation>
    </message>
    <message>
        <source>Не удалось установить поизицю записи в файле</source>
        <translation>Could not set the write position in the file</translation>
    </message>
    <message>
        <source>Сбой при попытке записи в файл</source>
        <translation>Writing to the file failed</translation>
    </message>
    <message>
        <source>Неизвестная ошибка</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>В папке не обнаружены файлы для обработки. Требуются файлы типов Jpg/Png в диапазоне размеров от %1 до %2.</source>
        <translation>No files to process were found in the folder. Jpg/Png files from %1 to %2 in size are needed.</translation>
    </message>
    <message>
        <source>Внимание! Выбранные данные стёрты, но в файле остались их копии в других метаданных:</source>
        <translation>Warning! The chosen data were wiped, but copies of them remain in other metadata of the file:</translation>
    </message>
    <message>
        <source>%1 (%2) — %3, байт %4</source>
        <translation>%1 (%2) — %3, byte %4</translation>
    </message>
    <message>
        <source>%1 (%2) — %3 (сжатый текст), блок с байта %4</source>
        <translation>%1 (%2) — %3 (compressed text), block at byte %4</translation>
    </message>
    <message>
        <source>Внимание! Сбой в процессе обработки файлов! Оперция не завершена корректно. </source>
        <translation>Warning! Processing the files failed! The operation did not finish properly. </translation>
    </message>
    <message>
        <source>Отчёт об операции:</source>
        <translation>Operation report:</translation>
    </message>
    <message numerus="yes">
        <source>%1 из %n файлов будет исправлено (пробный прогон: файлы не изменены).</source>
        <translation>
            <numerusform>%1 of %n file would be fixed (trial run: no file was changed).</numerusform>
            <numerusform>%1 of %n files would be fixed (trial run: no file was changed).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 из %n файлов успешно исправлено.</source>
        <translation>
            <numerusform>%1 of %n file fixed successfully.</numerusform>
            <numerusform>%1 of %n files fixed successfully.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>HelpText</name>
    <message>
        <source>Предназначен для просмотра параметров генерации картинок, созданных нейросетью Tarvo (%1). В 
каждую свою картинку Tarvo сохраняет абсолютно все сведенья о том, что конкретно пользователь задавал для её 
генерации. Данная программа служит для отображения этой информации.</source>
        <translation>Shows the generation parameters of pictures made by the Tarvo neural network (%1). Tarvo saves in each of its pictures absolutely everything the user set to generate it. This program displays that information.</translation>
    </message>
    <message>
        <source>Для начала работы укажите картинку Png или Jpg, созданную в нейросети Tarvo, или папку с такими картинками. Для 
указания картинки воспользуйтесь кнопкой &quot;Открыть файл&quot;, для указания папки - кнопкой &quot;Задать&quot; или введите путь к 
папке в строке ввода &quot;Путь&quot; и нажмите Enter, или перетащите файл либо папку в окно программы. Листайте картинки в 
папке кнопками [&lt;] и [&gt;].</source>
        <translation>To begin, choose a Png or Jpg picture made by Tarvo, or a folder of such pictures. To choose a picture, use the &quot;Open file&quot; button; to choose a folder, use the &quot;Browse…&quot; button, or type the folder&apos;s path into the &quot;Folder&quot; field and press Enter, or drag a file or folder onto the program&apos;s window. Leaf through the pictures of the folder with the [&lt;] and [&gt;] buttons.</translation>
    </message>
    <message>
        <source>Помимо просмотра параметров генерации вы можете с помощью этой программы затирать ключевые из них в файлах 
картинок (замещая пробелами). Возможно затирать 4 параметра - JobId, Prompt, Negative_prompt и Seed. Кнопка 
&quot;Удалить из файла&quot; затирает заданные параметры в текущем файле, кнопка &quot;Обработка папки&quot; сотрёт параметры во 
всех файлах Png и Jpg, которые найдёт в заданной папке. </source>
        <translation>Besides showing the generation parameters, this program can wipe the key ones from picture files (replacing them with spaces). 4 parameters can be wiped: JobId, Prompt, Negative_prompt and Seed. The &quot;Wipe from file&quot; button wipes the chosen parameters in the current file; the &quot;Wipe folder&quot; button wipes them in all Png and Jpg files it finds in the chosen folder.</translation>
    </message>
    <message>
        <source>Программа распространяется как есть. Используйте её на свой страх и риск. По идее при использовании только для 
просмотра она не может привести ни к какой порче данных. При использовании для стирания параметров… Автор 
протестировал её на папке с 210 и 730 картинками (под Win7). Проблем не обнаружил. Тем не менее, вероятно лучше 
делать копии картинок, которые для вас важны, прежде чем подвергать их правке.</source>
        <translation>The program is distributed as is. Use it at your own risk. Used only for viewing, it should not be able to damage any data. Used for wiping parameters… The author tested it on folders of 210 and 730 pictures (under Win7) and found no problems. Still, it is probably wise to copy the pictures that matter to you before editing them.</translation>
    </message>
    <message>
        <source>Данная программа не требует установки и не нуждается в деинсталляции. </source>
        <translation>This program needs no installation and no uninstallation.</translation>
    </message>
    <message>
        <source>Список элементов управления. Кнопки:</source>
        <translation>The controls. Buttons:</translation>
    </message>
    <message>
        <source>[Задать] - позволяет указать папку с картинками.</source>
        <translation>[Browse…] - choose a folder of pictures.</translation>
    </message>
    <message>
        <source>[Открыть файл] - указать конкретный файл картинки. Выбранной папкой станет папка выбранной картинки.</source>
        <translation>[Open file] - choose one picture file. The picture&apos;s folder becomes the chosen folder.</translation>
    </message>
    <message>
        <source>[Copy] - копирует значение текстового поля слева в буфер. </source>
        <translation>[Copy] - copies the text of the field to its left to the clipboard.</translation>
    </message>
    <message>
        <source>[&lt;] и [&gt;] - листание файлов. Если папка задана, но ни один файл не открыт, открывают соответственно последний и 
первый файл в папке.</source>
        <translation>[&lt;] and [&gt;] - leaf through the files. When a folder is chosen but no file is open, they open the last and the first file of the folder respectively.</translation>
    </message>
    <message>
        <source>[Очистить] - сделает ни один файл не выбранным. Папка останется выбранной, и соответственно кнопками [&lt;] и [&gt;] 
можно будет снова начать просмотр в ней.</source>
        <translation>[Clear] - leaves no file selected. The folder stays chosen, so [&lt;] and [&gt;] can start leafing through it again.</translation>
    </message>
    <message>
        <source>[1/5] - переключает пропорции окон отображения текста и картинки между 1/5 (окно картинки в 5 раз шире текстового)  
и 5/1 (окно текста в 5 раз шире окна картинки).</source>
        <translation>[1/5] - switches the proportions of the text and picture panes between 1/5 (the picture pane five times as wide as the text pane) and 5/1 (the text pane five times as wide as the picture pane).</translation>
    </message>
    <message>
        <source>[В] - исходно невидима, появляется только при нажатии [1/5]. Восстанавливает пропорции окон, какие они имели до 
нажатия [1/5].</source>
        <translation>[R] - hidden at first, it appears only once [1/5] is pressed. Restores the proportions the panes had before [1/5] was pressed.</translation>
    </message>
    <message>
        <source>[О] - обновить. Если количество или имена файлов в заданной папке изменялись, есть смысл нажать эту кнопку, чтобы 
список файлов обновился в программе. </source>
        <translation>[O] - refresh. If files were added, removed or renamed in the chosen folder, press this button to update the program&apos;s file list.</translation>
    </message>
    <message>
        <source>[V] / [^] - свернуть/показать панель дополнительных опций. </source>
        <translation>[V] / [^] - show/hide the panel of extra options.</translation>
    </message>
    <message>
        <source>[Удалить из файла] - стереть заданные параметры из файла картинки. Кнопка активируется только если опции стирания 
заданы и какая-нибудь картинка открыта.</source>
        <translation>[Wipe from file] - wipes the chosen parameters from the picture file. The button is enabled only when wipe options are set and a picture is open.</translation>
    </message>
    <message>
        <source>[Обработка Папки] - стереть заданные параметры во всех картинках папки. Кнопка активируется только если опции 
стирания заданы и опция разрешения стирания в папке включена.</source>
        <translation>[Wipe folder] - wipes the chosen parameters in all pictures of the folder. The button is enabled only when wipe options are set and folder wiping is allowed.</translation>
    </message>
    <message>
        <source>Опции:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>&lt;JobId&gt; - стирать параметр JobId.</source>
        <translation>&lt;JobId&gt; - wipe the JobId parameter.</translation>
    </message>
    <message>
        <source>&lt;Prompt&gt; - стирать параметр Prompt.</source>
        <translation>&lt;Prompt&gt; - wipe the Prompt parameter.</translation>
    </message>
    <message>
        <source>&lt;Neg Prompt&gt; - стирать параметр Negative Prompt.</source>
        <translation>&lt;Neg Prompt&gt; - wipe the Negative Prompt parameter.</translation>
    </message>
    <message>
        <source>&lt;Seed&gt; - стирать параметр Seed.</source>
        <translation>&lt;Seed&gt; - wipe the Seed parameter.</translation>
    </message>
    <message>
        <source>&lt;Разрешить удалять&gt; - если выключена, кнопки стирания не будут активны.</source>
        <translation>&lt;Allow wiping&gt; - when off, the wipe buttons are disabled.</translation>
    </message>
    <message>
        <source>&lt;Обработка папки&gt; - если выключена, кнопка &quot;Обработка папки&quot; не будет активна.</source>
        <translation>&lt;Folder wiping&gt; - when off, the &quot;Wipe folder&quot; button is disabled.</translation>
    </message>
    <message>
        <source>&lt;Подтверждать&gt; - если включена, будет запрашиваться дополнительное подтверждение при нажатии кнопки &quot;Удалить 
из файла&quot;. На кнопку &quot;Обработка папки&quot; не влияет, так как стирание в папке всегда запрашивает подтверждение.</source>
        <translation>&lt;Confirm&gt; - when on, the &quot;Wipe from file&quot; button asks for confirmation before it wipes. It does not affect the &quot;Wipe folder&quot; button, since wiping a folder always asks for confirmation.</translation>
    </message>
    <message>
        <source>&lt;Растягивать&gt; - если включена, картинка будет отображаться в границах окна отображения, если выключена, будет 
отображаться в реальных размерах.</source>
        <translation>&lt;Stretch&gt; - when on, the picture is fitted into the picture pane; when off, it is shown at its real size.</translation>
    </message>
    <message>
        <source>&lt;Истинный Prompt&gt; - иногда Tarvo зачем-то замусоривает пользовательскую инфо в параметре Prompt 
дополнительными сторонними данными вроде &quot;Score_4&quot;, те из подобных данных, о которых автору известно, будут 
исключены из отображения в нижем текстовом поле &quot;Prompt&quot;, если эта опция включена.</source>
        <translation>&lt;True Prompt&gt; - Tarvo sometimes clutters the user&apos;s prompt with extra data such as &quot;Score_4&quot;. When this option is on, the data of that kind known to the author are left out of the &quot;Prompt&quot; field at the bottom.</translation>
    </message>
    <message>
        <source>&lt;Tarvo Data&gt; - если включена, при листании файлов в папке кнопками [&lt;] и [&gt;] будут пропускаться файлы .WebP (в 
которых на данный момент Tarvo не сохраняет параметры генерации, или если сохраняет, делает это не в текстовом 
виде, и потому визуально выявить это нельзя) и так же слишком маленькие и слишком большие по размеру файла 
картинки, которые маловероятно что могут являться картинками Tarvo.</source>
        <translation>&lt;Tarvo Data&gt; - when on, leafing through a folder with [&lt;] and [&gt;] skips .WebP files (in which Tarvo currently saves no generation parameters, or saves them in a form that cannot be read as text), as well as pictures whose files are too small or too large to be likely Tarvo pictures.</translation>
    </message>
    <message>
        <source>Сайт программы: %1</source>
        <translation>Program website: %1</translation>
    </message>
    <message>
        <source>Контакт автора: %1</source>
        <translation>Author contact: %1</translation>
    </message>
</context>
<context>
    <name>Sizes</name>
    <message numerus="yes">
        <source>%n байт</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
    <message>
        <source>Кб</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>Мб</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>Гб</source>
        <translation>GB</translation>
    </message>
</context>
<context>
    <name>TQtDialogs</name>
    <message>
        <source>Предупреждение</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Информация</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Подтверждение</source>
        <translation>Confirmation</translation>
    </message>
    <message>
        <source>Обработка папки</source>
        <translation>Wiping the folder</translation>
    </message>
    <message>
        <source>Обработано файлов: %1 из %2</source>
        <translation>Files processed: %1 of %2</translation>
    </message>
</context>
<context>
    <name>TarvoData</name>
    <message>
        <source>Внимание! Будут внесены изменения в файл &quot;%1&quot;. Продолжить?</source>
        <translation>Warning! The file &quot;%1&quot; will be changed. Continue?</translation>
    </message>
</context>
<context>
    <name>ViewerModel</name>
    <message>
        <source>Tarvo Data:</source>
        <translation>Tarvo Data:</translation>
    </message>
    <message>
        <source>Текст файла:</source>
        <translation>File text:</translation>
    </message>
    <message>
        <source>Размер картинки: %1 x %2</source>
        <translation>Picture size: %1 x %2</translation>
    </message>
    <message>
        <source>Выберите папку</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>Файлы картинок Tarvo (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|Все файлы|*.*</source>
        <translation>Tarvo pictures (Jpg, Png, WebP)|*.jpg;*.Jpeg;*.png;*.WebP|All files|*.*</translation>
    </message>
    <message>
        <source>Папка не задана!</source>
        <translation>No folder is set!</translation>
    </message>
    <message>
        <source>Внимание! Сбой при подготовке файлов для обработки. Никакие действия не произведены!</source>
        <translation>Warning! Preparing the files for processing failed. Nothing was done!</translation>
    </message>
    <message>
        <source> Иные файлы вряд ли могут содержать данные формата Tarvo. Операция отменена.</source>
        <translation> Other files are unlikely to hold Tarvo data. Operation cancelled.</translation>
    </message>
    <message>
        <source>В заданном каталоге найдено файлов: %1. </source>
        <translation>Files found in the folder: %1. </translation>
    </message>
    <message>
        <source>Внимание! </source>
        <translation>Warning! </translation>
    </message>
    <message>
        <source>В вашем текущем списке отображения задано файлов: %1. Какие файлы вы хотите обработать? Нажмите Yes, чтобы применить обработку только к файлам в вашем списке, или нажимте YesToAll, если хотите обработать все файлы в папке.</source>
        <translation>Files in your current list: %1. Which files do you want to process? Press Yes to process only the files in your list, or Yes to All to process every file in the folder.</translation>
    </message>
    <message>
        <source>Вы уверены, что хотите выполнить обработку?</source>
        <translation>Are you sure you want to process them?</translation>
    </message>
    <message>
        <source>Выполнить обработку?</source>
        <translation>Process them?</translation>
    </message>
</context>
<context>
    <name>tarvo::TForm1</name>
    <message>
        <source>Путь:</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>Задать</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>Открыть файл</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>Имя файла:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Prompt</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Negative</source>
        <translation>Negative</translation>
    </message>
    <message>
        <source>Предыдущий</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Следующий</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>В</source>
        <comment>first letter of the hint</comment>
        <translation>R</translation>
    </message>
    <message>
        <source>Восстановить пропорции</source>
        <translation>Restore the proportions</translation>
    </message>
    <message>
        <source>Обновить список файлов</source>
        <translation>Refresh the file list</translation>
    </message>
    <message>
        <source>Показать доп панель</source>
        <translation>Show the options panel</translation>
    </message>
    <message>
        <source>JobId</source>
        <translation>JobId</translation>
    </message>
    <message>
        <source>Seed</source>
        <translation>Seed</translation>
    </message>
    <message>
        <source>Neg Prompt</source>
        <translation>Neg Prompt</translation>
    </message>
    <message>
        <source>Разрешить удалять</source>
        <translation>Allow wiping</translation>
    </message>
    <message>
        <source>Обработка папки</source>
        <comment>check box permitting the folder run</comment>
        <translation>Folder wiping</translation>
    </message>
    <message>
        <source>Подтверждать</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Удалить из файла</source>
        <translation>Wipe from file</translation>
    </message>
    <message>
        <source>Обработка папки</source>
        <comment>button starting the folder run</comment>
        <translation>Wipe folder</translation>
    </message>
    <message>
        <source>Растягивать</source>
        <translation>Stretch</translation>
    </message>
    <message>
        <source>Растягивать картинку в размеры окна отображения</source>
        <translation>Stretch the picture to fit the picture pane</translation>
    </message>
    <message>
        <source>Скрыть доп панель</source>
        <translation>Hide the options panel</translation>
    </message>
    <message>
        <source>Истиный Prompt</source>
        <translation>True Prompt</translation>
    </message>
    <message>
        <source>Сторонняя информация, записанная в Prompt, не будет отображаться в нижнем поле ввода</source>
        <translation>Extra information written into the prompt is not shown in the Prompt field below</translation>
    </message>
    <message>
        <source>Tarvo Data</source>
        <translation>Tarvo Data</translation>
    </message>
    <message>
        <source>Игнорировать при листании файлы WebP, и так же слишком большие и слишком маленькие файлы</source>
        <translation>Skip WebP files, and files that are too large or too small, when leafing through a folder</translation>
    </message>
</context>
</TS>

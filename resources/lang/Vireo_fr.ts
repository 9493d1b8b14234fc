<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>ColorBrewerDialog</name>
    <message>
        <source>Color brewer 2 presets</source>
        <translation>Préréglages Color brewer 2</translation>
    </message>
    <message>
        <source>Number of steps :</source>
        <translation>Nombre de pas :</translation>
    </message>
    <message>
        <source>3</source>
        <translation>3</translation>
    </message>
    <message>
        <source>4</source>
        <translation>4</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>6</source>
        <translation>6</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Explore multivariate time series drawn as the inside of a tube.</source>
        <translation>Explorer des séries temporelles multivariées dessinées comme l&apos;intérieur d&apos;un tube.</translation>
    </message>
    <message>
        <source>Read FILE as one row per time stamp (the default).</source>
        <translation>Lire FICHIER comme une ligne par horodatage (par défaut).</translation>
    </message>
    <message>
        <source>Read FILE as one row per measurement: attribute, time, value.</source>
        <translation>Lire FICHIER comme une ligne par mesure : attribut, temps, valeur.</translation>
    </message>
    <message>
        <source>FILE is French: numbers like 1,2; &apos;;&apos; or tab separators.</source>
        <translation>FICHIER est français : nombres comme 1,2 ; séparateurs &apos;;&apos; ou tabulation.</translation>
    </message>
    <message>
        <source>FILE is International: numbers like 1.2; &apos;,&apos; separators.</source>
        <translation>FICHIER est international : nombres comme 1.2 ; séparateurs &apos;,&apos;.</translation>
    </message>
    <message>
        <source>The CSV file to open.</source>
        <translation>Le fichier CSV à ouvrir.</translation>
    </message>
    <message>
        <source>Choose either --synchronous or --asynchronous.</source>
        <translation>Choisissez soit --synchronous, soit --asynchronous.</translation>
    </message>
    <message>
        <source>Choose either --french or --international.</source>
        <translation>Choisissez soit --french, soit --international.</translation>
    </message>
    <message>
        <source>Give one file at most.</source>
        <translation>Donnez un fichier au plus.</translation>
    </message>
    <message>
        <source>The options --synchronous, --asynchronous, --french and --international need a FILE.</source>
        <translation>Les options --synchronous, --asynchronous, --french et --international demandent un FICHIER.</translation>
    </message>
    <message>
        <source>--quit-after needs a number of milliseconds.</source>
        <translation>--quit-after demande un nombre de millisecondes.</translation>
    </message>
    <message>
        <source>Try &apos;vireo --help&apos; for more information.</source>
        <translation>Essayez « vireo --help » pour plus d&apos;informations.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>FICHIER</translation>
    </message>
</context>
<context>
    <name>CsvExporter</name>
    <message>
        <source>Unable to write file %1.</source>
        <translation>Impossible d&apos;écrire le fichier %1.</translation>
    </message>
</context>
<context>
    <name>KeysConfigurationDialog</name>
    <message>
        <source>Forward</source>
        <translation>Avancer</translation>
    </message>
    <message>
        <source>Backward</source>
        <translation>Reculer</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Droite</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Gauche</translation>
    </message>
    <message>
        <source>Origin</source>
        <translation>Origine</translation>
    </message>
    <message>
        <source>Highspeed</source>
        <translation>Grande vitesse</translation>
    </message>
    <message>
        <source>Animating origin</source>
        <translation>Retour animé à l&apos;origine</translation>
    </message>
    <message>
        <source>Attribute</source>
        <translation>Attribut</translation>
    </message>
    <message>
        <source>Times</source>
        <translation>Temps</translation>
    </message>
    <message>
        <source>Zone</source>
        <translation>Zone</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Réinitialiser</translation>
    </message>
    <message>
        <source>PrevTime</source>
        <translation>Temps précédent</translation>
    </message>
    <message>
        <source>NextTime</source>
        <translation>Temps suivant</translation>
    </message>
    <message>
        <source>PrevAttribute</source>
        <translation>Attribut précédent</translation>
    </message>
    <message>
        <source>NextAttribute</source>
        <translation>Attribut suivant</translation>
    </message>
    <message>
        <source>Keys Configuration</source>
        <translation>Configuration des touches</translation>
    </message>
    <message>
        <source>Camera keys</source>
        <translation>Touches de la caméra</translation>
    </message>
    <message>
        <source>Picking keys</source>
        <translation>Touches de sélection</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Modifier</translation>
    </message>
    <message>
        <source>%1 is bound to several actions: %2.</source>
        <translation>%1 est attribuée à plusieurs actions : %2.</translation>
    </message>
</context>
<context>
    <name>LazyModel</name>
    <message>
        <source>%1 attributes</source>
        <translation>%1 attributs</translation>
    </message>
    <message>
        <source>Area %1</source>
        <translation>Région %1</translation>
    </message>
    <message>
        <source>Selections</source>
        <translation>Sélections</translation>
    </message>
    <message>
        <source>%1 times steps</source>
        <translation>%1 pas de temps</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>The file cannot be written.</source>
        <translation>Le fichier ne peut pas être écrit.</translation>
    </message>
    <message>
        <source>The file cannot be read.</source>
        <translation>Le fichier ne peut pas être lu.</translation>
    </message>
    <message>
        <source>The file is not a profile of this kind.</source>
        <translation>Le fichier n&apos;est pas un profil de ce type.</translation>
    </message>
    <message>
        <source>The file exists and is not an INI file; it is left as it is.</source>
        <translation>Le fichier existe et n&apos;est pas un fichier INI ; il est laissé tel quel.</translation>
    </message>
</context>
<context>
    <name>SelectionPanels</name>
    <message>
        <source>No selection</source>
        <translation>Aucune sélection</translation>
    </message>
    <message>
        <source>Type of selection : %1</source>
        <translation>Type de sélection : %1</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Sélection</translation>
    </message>
    <message>
        <source>Correlation</source>
        <translation>Corrélation</translation>
    </message>
    <message>
        <source>Annotation %1 :</source>
        <translation>Annotation %1 :</translation>
    </message>
</context>
<context>
    <name>Task</name>
    <message>
        <source>synchrone</source>
        <translation>synchrone</translation>
    </message>
    <message>
        <source>asynchrone</source>
        <translation>asynchrone</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>inconnu</translation>
    </message>
    <message>
        <source>Not enough memory to load file %1.</source>
        <translation>Mémoire insuffisante pour charger le fichier %1.</translation>
    </message>
    <message>
        <source>Unable to open file %1.</source>
        <translation>Impossible d&apos;ouvrir le fichier %1.</translation>
    </message>
    <message>
        <source>Unable to read file %1.</source>
        <translation>Impossible de lire le fichier %1.</translation>
    </message>
    <message>
        <source>The first line of the file must contains a &apos;;&apos; separated attributes list.</source>
        <translation>La première ligne du fichier doit contenir une liste d&apos;attributs séparés par des &apos;;&apos;.</translation>
    </message>
    <message>
        <source>The first line of the file must contains a &apos;,&apos; separated attributes list.</source>
        <translation>La première ligne du fichier doit contenir une liste d&apos;attributs séparés par des &apos;,&apos;.</translation>
    </message>
    <message>
        <source>No attribute found in the first line.</source>
        <translation>Aucun attribut trouvé dans la première ligne.</translation>
    </message>
    <message>
        <source>No data found, the file contains less than 10 lines.</source>
        <translation>Aucune donnée trouvée, le fichier contient moins de 10 lignes.</translation>
    </message>
    <message>
        <source>Line %1 doesn&apos;t contain %2 values (time included).</source>
        <translation>La ligne %1 ne contient pas %2 valeurs (temps compris).</translation>
    </message>
    <message>
        <source>Line %1 doesn&apos;t contain a valid time value : %2.</source>
        <translation>La ligne %1 ne contient pas de valeur de temps valide : %2.</translation>
    </message>
    <message>
        <source>Line %1 doesn&apos;t contain a time value greater than the previous one (%2 &lt; %3).</source>
        <translation>La ligne %1 ne contient pas de valeur de temps supérieure à la précédente (%2 &lt; %3).</translation>
    </message>
    <message>
        <source>Line %1 doesn&apos;t contain 3 values separated by a tabulation.</source>
        <translation>La ligne %1 ne contient pas 3 valeurs séparées par une tabulation.</translation>
    </message>
    <message>
        <source>Line %1 doesn&apos;t contain 3 values separated by a &apos;,&apos;.</source>
        <translation>La ligne %1 ne contient pas 3 valeurs séparées par une &apos;,&apos;.</translation>
    </message>
    <message>
        <source>The file %1 changed while it was read.</source>
        <translation>Le fichier %1 a changé pendant sa lecture.</translation>
    </message>
    <message>
        <source>originalDataTimeInterval or deltaT is 0</source>
        <translation>originalDataTimeInterval ou deltaT vaut 0</translation>
    </message>
    <message>
        <source>Unknown aggregation mode %1.</source>
        <translation>Mode d&apos;agrégation inconnu : %1.</translation>
    </message>
    <message>
        <source>ΔT = %1 s is out of range.</source>
        <translation>ΔT = %1 s est hors limites.</translation>
    </message>
    <message>
        <source>Number of attributes is less than 2</source>
        <translation>Le nombre d&apos;attributs est inférieur à 2</translation>
    </message>
    <message>
        <source>Unknown reorganization algorithm %1.</source>
        <translation>Algorithme de réorganisation inconnu : %1.</translation>
    </message>
    <message>
        <source>%1 attributes at %2 times make %3 values, more than the %4 a table can hold.</source>
        <translation>%1 attributs à %2 instants font %3 valeurs, plus que les %4 qu&apos;une table peut contenir.</translation>
    </message>
    <message>
        <source>Line %1 can&apos;t be loaded: %2</source>
        <translation>La ligne %1 ne peut pas être chargée : %2</translation>
    </message>
    <message>
        <source>The file can&apos;t be loaded: %1</source>
        <translation>Le fichier ne peut pas être chargé : %1</translation>
    </message>
    <message>
        <source>ΔT = %1 s gives too many time steps: %2</source>
        <translation>ΔT = %1 s donne trop de pas de temps : %2</translation>
    </message>
    <message>
        <source>Line %1 holds a field of %2 bytes, more than the %3 a field can hold.</source>
        <translation>La ligne %1 contient un champ de %2 octets, plus que les %3 qu&apos;un champ peut contenir.</translation>
    </message>
    <message>
        <source>The file %1 is UTF-16 encoded; save it as UTF-8.</source>
        <translation>Le fichier %1 est encodé en UTF-16 ; enregistrez-le en UTF-8.</translation>
    </message>
    <message>
        <source>Not enough memory to aggregate the data.</source>
        <translation>Mémoire insuffisante pour agréger les données.</translation>
    </message>
    <message>
        <source>Not enough memory to normalize the data.</source>
        <translation>Mémoire insuffisante pour normaliser les données.</translation>
    </message>
    <message>
        <source>Not enough memory to reorganize the data.</source>
        <translation>Mémoire insuffisante pour réorganiser les données.</translation>
    </message>
    <message>
        <source>Not enough memory to search for correlations.</source>
        <translation>Mémoire insuffisante pour chercher des corrélations.</translation>
    </message>
</context>
<context>
    <name>ViewContextMenu</name>
    <message>
        <source>2D view</source>
        <translation>Vue 2D</translation>
    </message>
    <message>
        <source>Detect Correlation</source>
        <translation>Détecter les corrélations</translation>
    </message>
    <message>
        <source>Export selection</source>
        <translation>Exporter la sélection</translation>
    </message>
    <message>
        <source>Add annotation</source>
        <translation>Ajouter une annotation</translation>
    </message>
    <message>
        <source>Unable to do this</source>
        <translation>Action impossible</translation>
    </message>
    <message>
        <source>Please select something before calling this action.</source>
        <translation>Veuillez sélectionner quelque chose avant de lancer cette action.</translation>
    </message>
    <message>
        <source>Not for now</source>
        <translation>Pas pour le moment</translation>
    </message>
    <message>
        <source>This action needs to be implemented.</source>
        <translation>Cette action reste à réaliser.</translation>
    </message>
    <message>
        <source>Save file</source>
        <translation>Enregistrer le fichier</translation>
    </message>
    <message>
        <source>CSV Files (*.csv);;All files(*.*)</source>
        <translation>Fichiers CSV (*.csv);;Tous les fichiers (*.*)</translation>
    </message>
    <message>
        <source>Unable to save file</source>
        <translation>Impossible d&apos;enregistrer le fichier</translation>
    </message>
    <message>
        <source>Note :</source>
        <translation>Note :</translation>
    </message>
    <message>
        <source>This is a note.</source>
        <translation>Ceci est une note.</translation>
    </message>
</context>
<context>
    <name>VireoGLWidget</name>
    <message>
        <source>The data has too many cells to be displayed (%1); aggregate it to fewer time steps.</source>
        <translation>Les données ont trop de cellules pour être affichées (%1) ; agrégez-les sur moins de pas de temps.</translation>
    </message>
    <message>
        <source>Not enough memory to display %1 cells; aggregate the data to fewer time steps.</source>
        <translation>Pas assez de mémoire pour afficher %1 cellules ; agrégez les données sur moins de pas de temps.</translation>
    </message>
    <message>
        <source>Unable to select zone</source>
        <translation>Impossible de sélectionner la zone</translation>
    </message>
    <message>
        <source>&lt;p&gt;To select a zone, select a value, press &apos;ctrl&apos; and select another value. &lt;p&gt;This will select the zone between the first selected value and the other one.</source>
        <translation>&lt;p&gt;Pour sélectionner une zone, sélectionnez une valeur, appuyez sur &apos;ctrl&apos; et sélectionnez une autre valeur. &lt;p&gt;La zone entre la première valeur sélectionnée et l&apos;autre sera sélectionnée.</translation>
    </message>
</context>
<context>
    <name>VireoMainWindow</name>
    <message>
        <source>Vireo</source>
        <translation>Vireo</translation>
    </message>
    <message>
        <source>File Information :</source>
        <translation>Informations du fichier :</translation>
    </message>
    <message>
        <source>Name: </source>
        <translation>Nom : </translation>
    </message>
    <message>
        <source>Number of attributes:</source>
        <translation>Nombre d&apos;attributs :</translation>
    </message>
    <message>
        <source>Start time:</source>
        <translation>Début :</translation>
    </message>
    <message>
        <source>End time:</source>
        <translation>Fin :</translation>
    </message>
    <message>
        <source>Operations</source>
        <translation>Opérations</translation>
    </message>
    <message>
        <source>Agregation:</source>
        <translation>Agrégation :</translation>
    </message>
    <message>
        <source>ΔT - GMT</source>
        <translation>ΔT - GMT</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Année</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Mois</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Jour</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>Heure</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>Sec</source>
        <translation>Sec</translation>
    </message>
    <message>
        <source>ΔT - Epoch</source>
        <translation>ΔT - Epoch</translation>
    </message>
    <message>
        <source>ΔT - Step count</source>
        <translation>ΔT - Nombre de pas</translation>
    </message>
    <message>
        <source>Agregation Mode:</source>
        <translation>Mode d&apos;agrégation :</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucun</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>Somme</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Moyenne</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>Normalization:</source>
        <translation>Normalisation :</translation>
    </message>
    <message>
        <source>Normalization Mode:</source>
        <translation>Mode de normalisation :</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>Locale</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>Globale</translation>
    </message>
    <message>
        <source>Reorganization:</source>
        <translation>Réorganisation :</translation>
    </message>
    <message>
        <source>Algorithm:</source>
        <translation>Algorithme :</translation>
    </message>
    <message>
        <source>BEA</source>
        <translation>BEA</translation>
    </message>
    <message>
        <source>By first non-missing value</source>
        <translation>Par première valeur non manquante</translation>
    </message>
    <message>
        <source>Display</source>
        <translation>Affichage</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Temps</translation>
    </message>
    <message>
        <source>Epoch</source>
        <translation>Epoch</translation>
    </message>
    <message>
        <source>GMT</source>
        <translation>GMT</translation>
    </message>
    <message>
        <source>Display mode</source>
        <translation>Mode d&apos;affichage</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Couleur</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Color &amp; Width</source>
        <translation>Couleur et largeur</translation>
    </message>
    <message>
        <source>Colors</source>
        <translation>Couleurs</translation>
    </message>
    <message>
        <source>Color Brewer</source>
        <translation>Color Brewer</translation>
    </message>
    <message>
        <source>Values</source>
        <translation>Valeurs</translation>
    </message>
    <message>
        <source>Missing value</source>
        <translation>Valeur manquante</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Fond</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Sélection</translation>
    </message>
    <message>
        <source>Correlation</source>
        <translation>Corrélation</translation>
    </message>
    <message>
        <source>Selections</source>
        <translation>Sélections</translation>
    </message>
    <message>
        <source>Lookup zone:</source>
        <translation>Zone de recherche :</translation>
    </message>
    <message>
        <source>All data</source>
        <translation>Toutes les données</translation>
    </message>
    <message>
        <source>Same attributes</source>
        <translation>Mêmes attributs</translation>
    </message>
    <message>
        <source>Same time steps</source>
        <translation>Mêmes pas de temps</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Seuil</translation>
    </message>
    <message>
        <source>Annotations</source>
        <translation>Annotations</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Export to CSV format</source>
        <translation>Exporter au format CSV</translation>
    </message>
    <message>
        <source>Profile</source>
        <translation>Profil</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>Synchronous File</source>
        <translation>Fichier synchrone</translation>
    </message>
    <message>
        <source>Asynchronous File</source>
        <translation>Fichier asynchrone</translation>
    </message>
    <message>
        <source>Normalized data</source>
        <translation>Données normalisées</translation>
    </message>
    <message>
        <source>Non normalized data</source>
        <translation>Données non normalisées</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Complete profile</source>
        <translation>Profil complet</translation>
    </message>
    <message>
        <source>Operations profile</source>
        <translation>Profil des opérations</translation>
    </message>
    <message>
        <source>Display profile</source>
        <translation>Profil d&apos;affichage</translation>
    </message>
    <message>
        <source>Keys profile</source>
        <translation>Profil des touches</translation>
    </message>
    <message>
        <source>Keys configuration</source>
        <translation>Configuration des touches</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Select file %1</source>
        <translation>Sélectionner le fichier %1</translation>
    </message>
    <message>
        <source>CSV Files (*.csv);;All files(*.*)</source>
        <translation>Fichiers CSV (*.csv);;Tous les fichiers (*.*)</translation>
    </message>
    <message>
        <source>Origin of your CSV file</source>
        <translation>Origine de votre fichier CSV</translation>
    </message>
    <message>
        <source>&lt;p&gt;Click on the origin of your CSV file : &lt;p&gt;Yes for French if number looks like 1,2 and separators are &apos;;&apos; for synchronous files and tab for asynchronous files.&lt;p&gt;No for International if number looks like 1.2 and separators are &apos;,&apos;.</source>
        <translation>&lt;p&gt;Cliquez sur l&apos;origine de votre fichier CSV : &lt;p&gt;Oui pour un fichier français si les nombres s&apos;écrivent 1,2 et si les séparateurs sont &apos;;&apos; pour les fichiers synchrones et la tabulation pour les fichiers asynchrones.&lt;p&gt;Non pour un fichier international si les nombres s&apos;écrivent 1.2 et si les séparateurs sont &apos;,&apos;.</translation>
    </message>
    <message>
        <source>Loading data...</source>
        <translation>Chargement des données...</translation>
    </message>
    <message>
        <source>Unable to load file</source>
        <translation>Impossible de charger le fichier</translation>
    </message>
    <message>
        <source>Data loaded</source>
        <translation>Données chargées</translation>
    </message>
    <message>
        <source>The file has too few time stamps to be processed.</source>
        <translation>Le fichier contient trop peu d&apos;instants pour être traité.</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Vireo&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;Explore multivariate time series drawn as the inside of a tube: fly through it, select values, find correlated blocks and annotate them.&lt;/p&gt;&lt;p&gt;Written by the Vireo developers with Qt %2.&lt;/p&gt;&lt;p&gt;Palette presets: ColorBrewer, by Cynthia A. Brewer, Pennsylvania State University, under the Apache License 2.0. %3&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Vireo&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;Explorez des séries temporelles multivariées dessinées comme l&apos;intérieur d&apos;un tube : parcourez-le, sélectionnez des valeurs, trouvez les blocs corrélés et annotez-les.&lt;/p&gt;&lt;p&gt;Écrit par les développeurs de Vireo avec Qt %2.&lt;/p&gt;&lt;p&gt;Palettes prédéfinies : ColorBrewer, de Cynthia A. Brewer, Pennsylvania State University, sous licence Apache 2.0. %3&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Picture...</source>
        <translation>Image...</translation>
    </message>
    <message>
        <source>Layout of your CSV file</source>
        <translation>Disposition de votre fichier CSV</translation>
    </message>
    <message>
        <source>&lt;p&gt;Click on the layout of your CSV file : &lt;p&gt;Yes for synchronous if it has a header line and one row per time stamp.&lt;p&gt;No for asynchronous if it has one row per measurement: attribute, time, value.</source>
        <translation>&lt;p&gt;Cliquez sur la disposition de votre fichier CSV : &lt;p&gt;Oui pour synchrone s&apos;il a une ligne d&apos;en-tête et une ligne par horodatage.&lt;p&gt;Non pour asynchrone s&apos;il a une ligne par mesure : attribut, temps, valeur.</translation>
    </message>
    <message>
        <source>Export picture</source>
        <translation>Exporter l&apos;image</translation>
    </message>
    <message>
        <source>PNG image (*.png);;JPEG image (*.jpg *.jpeg)</source>
        <translation>Image PNG (*.png);;Image JPEG (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Unable to save picture</source>
        <translation>Impossible d&apos;enregistrer l&apos;image</translation>
    </message>
    <message>
        <source>The picture could not be written to %1: %2</source>
        <translation>L&apos;image n&apos;a pas pu être écrite dans %1 : %2</translation>
    </message>
    <message>
        <source>Picture saved</source>
        <translation>Image enregistrée</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>Agregating data...</source>
        <translation>Agrégation des données...</translation>
    </message>
    <message>
        <source>Data agregated</source>
        <translation>Données agrégées</translation>
    </message>
    <message>
        <source>Normalizing data...</source>
        <translation>Normalisation des données...</translation>
    </message>
    <message>
        <source>Data normalized</source>
        <translation>Données normalisées</translation>
    </message>
    <message>
        <source>Reorganizing data...</source>
        <translation>Réorganisation des données...</translation>
    </message>
    <message>
        <source>Data reorganized &amp; displayed</source>
        <translation>Données réorganisées et affichées</translation>
    </message>
    <message>
        <source>Correlating data...</source>
        <translation>Recherche de corrélations...</translation>
    </message>
    <message>
        <source>Data correlated</source>
        <translation>Corrélations trouvées</translation>
    </message>
    <message>
        <source>Unable to agregate data</source>
        <translation>Impossible d&apos;agréger les données</translation>
    </message>
    <message>
        <source>Unable to normalize data</source>
        <translation>Impossible de normaliser les données</translation>
    </message>
    <message>
        <source>Unable to reorganize data</source>
        <translation>Impossible de réorganiser les données</translation>
    </message>
    <message>
        <source>Unable to correlate data</source>
        <translation>Impossible de corréler les données</translation>
    </message>
    <message>
        <source>Save profile</source>
        <translation>Enregistrer le profil</translation>
    </message>
    <message>
        <source>Unable to save profile</source>
        <translation>Impossible d&apos;enregistrer le profil</translation>
    </message>
    <message>
        <source>The profile could not be saved to %1: %2</source>
        <translation>Le profil n&apos;a pas pu être enregistré dans %1 : %2</translation>
    </message>
    <message>
        <source>Profile saved</source>
        <translation>Profil enregistré</translation>
    </message>
    <message>
        <source>Open profile</source>
        <translation>Ouvrir un profil</translation>
    </message>
    <message>
        <source>Unable to open profile</source>
        <translation>Impossible d&apos;ouvrir le profil</translation>
    </message>
    <message>
        <source>The profile %1 could not be opened: %2</source>
        <translation>Le profil %1 n&apos;a pas pu être ouvert : %2</translation>
    </message>
    <message>
        <source>Profile opened</source>
        <translation>Profil ouvert</translation>
    </message>
    <message>
        <source>Save file</source>
        <translation>Enregistrer le fichier</translation>
    </message>
    <message>
        <source>Unable to save file</source>
        <translation>Impossible d&apos;enregistrer le fichier</translation>
    </message>
    <message>
        <source>File saved</source>
        <translation>Fichier enregistré</translation>
    </message>
    <message>
        <source>Export selection finished</source>
        <translation>Export de la sélection terminé</translation>
    </message>
</context>
</TS>
